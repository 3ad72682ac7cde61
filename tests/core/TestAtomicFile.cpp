#include "core/AtomicFile.h"
#include "hardening/FaultSupport.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using FaultSupport::entries;
using FaultSupport::errnoText;
using TestSupport::modeOf;
using TestSupport::readFile;
using TestSupport::writeFile;

const AtomicFile::Options withBackup{.mode = {}, .createFolder = true, .backupPrefix = u"config.bak."_s};

class TestAtomicFile : public QObject
{
    Q_OBJECT
private slots:
    void replacesFiles();
    void streamsTextInPieces();
    void eachStepFailsCleanly();
};

void TestAtomicFile::replacesFiles()
{
    QTemporaryDir dir;
    { // Modes: 0600 for a new file, the old bits kept, or the bits asked for.
        const QString path = dir.filePath(u"modes"_s);
        QCOMPARE(AtomicFile::write(path, "a"), std::nullopt);
        QCOMPARE(modeOf(path), 0600);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        QCOMPARE(AtomicFile::write(path, "b"), std::nullopt);
        QCOMPARE(modeOf(path), 0644);
        QCOMPARE(AtomicFile::write(path, "c", {.mode = 0755, .createFolder = false, .backupPrefix = {}}), std::nullopt);
        QCOMPARE(modeOf(path), 0755);
        QCOMPARE(readFile(path), "c");
    }
    { // A missing folder is made 0700 with its parents, and a fresh file gets no backup.
        const QString path = dir.filePath(u"home/.ssh/config"_s);
        QCOMPARE(AtomicFile::write(path, "x", withBackup), std::nullopt);
        QCOMPARE(modeOf(dir.filePath(u"home"_s)), 0700);
        QCOMPARE(entries(dir.filePath(u"home/.ssh"_s)), QStringList{u"config"_s});
    }
    { // Backups never overwrite one another: taken names get -2, -3, ...
        const QString folder = dir.filePath(u"backups"_s);
        const QString path = folder + u"/config"_s;
        writeFile(path, "old\n");
        for (int s = 0; s < 3; ++s)
            writeFile(folder + u"/config.bak."_s
                          + QDateTime::currentDateTime().addSecs(s).toString(u"yyyyMMdd_HHmmss"_s),
                      "earlier\n");
        QCOMPARE(AtomicFile::write(path, "one\n", withBackup), std::nullopt);
        QCOMPARE(AtomicFile::write(path, "two\n", withBackup), std::nullopt);
        QMultiMap<QByteArray, QString> contents;
        for (const QString &name : entries(folder))
            contents.insert(readFile(folder + u'/' + name), name);
        QCOMPARE(contents.keys(),
                 QList<QByteArray>({"earlier\n", "earlier\n", "earlier\n", "old\n", "one\n", "two\n"}));
        QVERIFY(contents.value("old\n").contains(u'-') && contents.value("one\n").contains(u'-'));
    }
    { // A symbolic link is written through: the link stays, its target changes, the backup is of the target.
        const QString target = dir.filePath(u"dotfiles/ssh_config"_s);
        const QString link = dir.filePath(u"linked/config"_s);
        writeFile(target, "old\n");
        QVERIFY(QDir().mkpath(dir.filePath(u"linked"_s)) && QFile::link(u"../dotfiles/ssh_config"_s, link));
        AtomicFile::Written written;
        QCOMPARE(AtomicFile::write(link, "new\n", withBackup, &written), std::nullopt);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(written.path, target);
        QCOMPARE(readFile(target), "new\n");
        QCOMPARE(entries(dir.filePath(u"dotfiles"_s)), QStringList{u"ssh_config"_s});
        const QStringList backups = entries(dir.filePath(u"linked"_s)).filter(u"config.bak."_s);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(readFile(dir.filePath(u"linked/"_s + backups.constFirst())), "old\n");
    }
}

void TestAtomicFile::streamsTextInPieces()
{
    // Pieces larger and smaller than the write window, characters of every UTF-8 length, and a
    // digest that does not depend on how the bytes were cut.
    const QStringList characters{u"a"_s, u"é"_s, u"日"_s, u"\U0001F600"_s};
    QStringList pieces;
    for (int i = 0; i < 3000; ++i)
        pieces.append(characters.at(i % 4).repeated(i % 7 == 0 ? 40000 : i % 50));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"text"_s);
    AtomicFile::Written written;
    const auto source = [&pieces](const auto &sink) {
        for (const QString &piece : std::as_const(pieces))
            sink(piece);
    };
    QCOMPARE(AtomicFile::writeText(path, source, {}, &written), std::nullopt);
    const QByteArray bytes = pieces.join(QString()).toUtf8();
    QCOMPARE(readFile(path), bytes);
    ContentDigest whole;
    whole.add(bytes);
    ContentDigest cut;
    for (qsizetype at = 0; at < bytes.size(); at += 9973)
        cut.add(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(9973, bytes.size() - at)));
    const size_t digest = whole.result();
    QCOMPARE(cut.result(), digest);
    QCOMPARE(written.digest, digest);
}

void TestAtomicFile::eachStepFailsCleanly()
{
    // Every failing step names its cause, leaves the old file as it was and no temporary file behind.
    QTemporaryDir tmp;
    { // Folder: it would have to live inside a regular file.
        writeFile(tmp.filePath(u"home-file"_s), "x");
        const auto error = AtomicFile::write(tmp.filePath(u"home-file/.ssh/config"_s), "y", withBackup);
        QCOMPARE(error,
                 u"Cannot create the folder %1: %2"_s.arg(tmp.filePath(u"home-file/.ssh"_s), errnoText(ENOTDIR)));
    }
    { // Backup: the old file is larger than a file may grow, so its copy fails half way.
        const QString dir = tmp.filePath(u"backup"_s);
        const QByteArray large(8000, 'p');
        writeFile(dir + u"/config"_s, large);
        FaultSupport::FileSizeLimit limit(4096);
        const auto error = AtomicFile::write(dir + u"/config"_s, "new", withBackup);
        QVERIFY2(error && error->startsWith(u"Cannot back up the file to %1/config.bak."_s.arg(dir)),
                 qPrintable(error.value_or(QString())));
        QCOMPARE(entries(dir), QStringList{u"config"_s});
        QCOMPARE(readFile(dir + u"/config"_s), large);
    }
    { // Write: a dangling link into a missing folder.
        const QString dir = tmp.filePath(u"dangling"_s);
        QDir().mkpath(dir);
        QVERIFY(QFile::link(tmp.filePath(u"missing/config"_s), dir + u"/config"_s));
        QCOMPARE(AtomicFile::write(dir + u"/config"_s, "new", withBackup), errnoText(ENOENT));
        QCOMPARE(entries(dir), QStringList{u"config"_s});
        QVERIFY(!QFileInfo::exists(tmp.filePath(u"missing"_s)));
    }
    { // Write: the new text does not fit (a full disk stops writes the same way); the backup stays.
        const QString dir = tmp.filePath(u"full"_s);
        writeFile(dir + u"/config"_s, "old\n");
        FaultSupport::FileSizeLimit limit(4096);
        QCOMPARE(AtomicFile::write(dir + u"/config"_s, QByteArray(100000, 'n'), withBackup), errnoText(EFBIG));
        QCOMPARE(readFile(dir + u"/config"_s), "old\n");
        const QStringList left = entries(dir);
        QCOMPARE(left.size(), 2);
        QCOMPARE(readFile(dir + u'/' + left.at(1)), "old\n");
    }
    // Rename: the file itself cannot be replaced (chattr +i binds root too).
    const QString path = tmp.filePath(u"frozen/config"_s);
    writeFile(path, "old\n");
    FaultSupport::Immutable frozen(path);
    if (!frozen.active)
        QSKIP("chattr +i is not available here");
    QCOMPARE(AtomicFile::write(path, "new"), errnoText(EPERM));
    QCOMPARE(entries(tmp.filePath(u"frozen"_s)), QStringList{u"config"_s});
    QCOMPARE(readFile(path), "old\n");
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "TestAtomicFile.moc"
