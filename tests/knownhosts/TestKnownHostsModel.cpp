#include "knownhosts/KnownHostsModel.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // "host|algorithm|preview|h|lineIndex" per entry, h = 1 for hashed, entries joined by newlines.
    QString describe(const QList<KnownHostEntry> &entries)
    {
        QStringList rows;
        for (const KnownHostEntry &e : entries)
            rows << u"%1|%2|%3|%4|%5"_s.arg(e.host, e.algorithm, e.keyPreview).arg(int(e.isHashed)).arg(e.lineIndex);
        return rows.join(u'\n');
    }

    // The identifiers of the entries with the given host, or of all entries for an empty host.
    QSet<QUuid> idsOfHost(const KnownHostsModel &model, const QString &host)
    {
        QSet<QUuid> ids;
        for (const KnownHostEntry &e : model.entries()) {
            if (host.isEmpty() || e.host == host)
                ids.insert(e.id);
        }
        return ids;
    }
} // namespace

class TestKnownHostsModel final : public QObject
{
    Q_OBJECT
private slots:
    void parsesLines_data();
    void parsesLines();
    void unreadableFilesAreNotFound();
    void removalKeepsEveryOtherByte_data();
    void removalKeepsEveryOtherByte();
    void removalKeepsModeAndSymlink();
    void identicalAndChangedLines();
    void readFailureDuringRemoval();
    void writeFailureLeavesFileAlone();

private:
    QTemporaryDir m_dir;
};

void TestKnownHostsModel::parsesLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("status");

    QTest::newRow("comments and blanks") << QByteArray("# a comment\n\n   \n\t# indented\n") << QString()
                                         << u"Loaded 0 entries"_s;
    QTest::newRow("two fields, trailing comment")
        << QByteArray("short ssh-rsa\nhost ssh-ed25519 AAAAkey trailing comment\n")
        << u"host|ssh-ed25519|AAAAkey…|0|1"_s << u"Loaded 1 entry"_s;
    QTest::newRow("hashed, bracketed, long key")
        << QByteArray("|1|c2FsdA==|aGFzaA== ecdsa-sha2-nistp256 AAAAE2VjZHNhLXNoYTItbmlzdHAyNTYAAAA\n"
                      "[db1]:2222,10.0.0.1 ssh-rsa 12345678901234567890\n")
        << u"(hashed entry)|ecdsa-sha2-nistp256|AAAAE2VjZHNhLXNoYTItbmlzdHAyNTYA…|1|0\n"
           u"[db1]:2222,10.0.0.1|ssh-rsa|12345678901234567890…|0|1"_s
        << u"Loaded 2 entries"_s;
    QTest::newRow("marker line shifts fields")
        << QByteArray("@cert-authority *.example ssh-ed25519 AAAA\n") << u"@cert-authority|*.example|ssh-ed25519…|0|0"_s
        << u"Loaded 1 entry"_s;
    // CR LF yields an empty line between; the Unicode breaks and VT/FF end lines too.
    QTest::newRow("line breaks") << QByteArray("a x K1\r\nb y K2\xe2\x80\xa8"
                                               "c z K3\xc2\x85"
                                               "d w K4\x0b"
                                               "e v K5\xe2\x80\xa9"
                                               "f u K6")
                                 << u"a|x|K1…|0|0\nb|y|K2…|0|2\nc|z|K3…|0|3\nd|w|K4…|0|4\ne|v|K5…|0|5\nf|u|K6…|0|6"_s
                                 << u"Loaded 6 entries"_s;
    // Tabs and Unicode space separators both trim and split; other characters do not.
    QTest::newRow("blanks") << QByteArray("\t\xc2\xa0h1\xe3\x80\x80ssh-rsa\tK\xe2\x80\x83\n"
                                          "h2\xe2\x80\x8bssh-rsa K\n")
                            << u"h1|ssh-rsa|K…|0|0"_s << u"Loaded 1 entry"_s;
}

void TestKnownHostsModel::parsesLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QFETCH(QString, status);
    const QString path = m_dir.filePath(u"parse_known_hosts"_s);
    writeFile(path, content);

    KnownHostsModel model(path);
    QVERIFY(model.entries().isEmpty());
    model.load();
    QCOMPARE(describe(model.entries()), expected);
    QCOMPARE(model.statusMessage(), status);
    for (const KnownHostEntry &e : model.entries()) {
        QCOMPARE(e.rawLine, model.allLines().at(e.lineIndex));
        QVERIFY(!e.id.isNull());
        QCOMPARE(e.id.version(), QUuid::Random);
    }
    if (qstrcmp(QTest::currentDataTag(), "blanks") == 0)
        QCOMPARE(model.entries().at(0).rawLine, u"\t\u00a0h1\u3000ssh-rsa\tK\u2003"_s);

    // Every load makes new identifiers.
    const QUuid before = model.entries().isEmpty() ? QUuid() : model.entries().at(0).id;
    model.load();
    if (!before.isNull())
        QVERIFY(model.entries().at(0).id != before);
}

void TestKnownHostsModel::unreadableFilesAreNotFound()
{
    const QString path = m_dir.filePath(u"unreadable_known_hosts"_s);
    KnownHostsModel model(path);
    model.setErrorMessage(u"earlier"_s);

    model.load();
    QCOMPARE(model.statusMessage(), u"known_hosts not found"_s);
    QCOMPARE(model.errorMessage(), std::optional<QString>(u"earlier"_s));

    // Valid content first, then bytes that are not UTF-8 (a stray byte, a sequence cut short at the end).
    for (const QByteArray &bad :
         {QByteArray("h ssh-rsa K\n\xff\xfe\n"), QByteArray("h ssh-rsa K\nh2 ssh-rsa K\xe2\x80")}) {
        writeFile(path, "h ssh-rsa K\n");
        model.load();
        QCOMPARE(model.entries().size(), 1);
        writeFile(path, bad);
        model.load();
        QVERIFY(model.entries().isEmpty());
        QCOMPARE(model.statusMessage(), u"known_hosts not found"_s);
    }

    // A byte order mark is not an error and is kept as part of the first line.
    writeFile(path, "\xef\xbb\xbfh ssh-rsa K\n");
    model.load();
    QCOMPARE(model.entries().size(), 1);
    QCOMPARE(model.entries().at(0).host, u"\ufeffh"_s);
}

void TestKnownHostsModel::removalKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray mixed = "# keep this comment  \n"
                             "\n"
                             "  unparseable ssh-rsa\n"
                             "gone ssh-ed25519 AAAA comment\n"
                             "kept\tssh-ed25519 BBBB\n"
                             "\xef\xbc\xa1 weird\xe2\x80\xa8line ssh-rsa CCCC\n";
    QTest::newRow("mixed lines") << mixed << u"gone"_s
                                 << QByteArray("# keep this comment  \n"
                                               "\n"
                                               "  unparseable ssh-rsa\n"
                                               "kept\tssh-ed25519 BBBB\n"
                                               "\xef\xbc\xa1 weird\xe2\x80\xa8line ssh-rsa CCCC\n");
    // Line endings stay as they were, CR LF included; the removed line takes its whole ending along.
    QTest::newRow("crlf") << QByteArray("a ssh-rsa A\r\ngone ssh-rsa G\r\nb ssh-rsa B\r\n") << u"gone"_s
                          << QByteArray("a ssh-rsa A\r\nb ssh-rsa B\r\n");
    QTest::newRow("crlf first") << QByteArray("gone ssh-rsa G\r\nb ssh-rsa B\r\n") << u"gone"_s
                                << QByteArray("b ssh-rsa B\r\n");
    // No line feed is added at the end, and one that was there stays.
    QTest::newRow("last line, no final break")
        << QByteArray("a ssh-rsa A\ngone ssh-rsa G") << u"gone"_s << QByteArray("a ssh-rsa A");
    QTest::newRow("last line, final break")
        << QByteArray("a ssh-rsa A\ngone ssh-rsa G\n") << u"gone"_s << QByteArray("a ssh-rsa A\n");
    QTest::newRow("only line") << QByteArray("gone ssh-rsa G") << u"gone"_s << QByteArray();
    QTest::newRow("nothing selected") << QByteArray("a ssh-rsa A\r\n\x0b# c\n") << u"none"_s
                                      << QByteArray("a ssh-rsa A\r\n\x0b# c\n");
}

void TestKnownHostsModel::removalKeepsEveryOtherByte()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, host);
    QFETCH(QByteArray, expected);
    const QString path = m_dir.filePath(u"bytes_known_hosts"_s);
    writeFile(path, content);

    KnownHostsModel model(path);
    model.load();
    const QSet<QUuid> ids = idsOfHost(model, host);
    model.removeEntries(ids);
    QCOMPARE(readFile(path), expected);
    QCOMPARE(model.statusMessage(), ids.size() == 1 ? u"Removed 1 entry"_s : u"Removed 0 entries"_s);
    QCOMPARE(model.errorMessage(), std::nullopt);
    QVERIFY(idsOfHost(model, host).isEmpty());
}

void TestKnownHostsModel::removalKeepsModeAndSymlink()
{
    const QString target = m_dir.filePath(u"real_known_hosts"_s);
    const QString link = m_dir.filePath(u"linked_known_hosts"_s);
    writeFile(target, "a ssh-rsa A\nb ssh-rsa B\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(target, mode));
    QVERIFY(QFile::link(target, link));

    KnownHostsModel model(link);
    model.load();
    model.removeEntries(idsOfHost(model, u"a"_s));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(target), QByteArray("b ssh-rsa B\n"));
    QCOMPARE(QFileInfo(target).permissions(), mode);
    QCOMPARE(model.entries().size(), 1);
}

void TestKnownHostsModel::identicalAndChangedLines()
{
    const QString path = m_dir.filePath(u"identical_known_hosts"_s);
    const QByteArray twin = "twin ssh-rsa T\n";
    KnownHostsModel model(path);

    // Both copies selected: both go, and the count says what was removed.
    writeFile(path, twin + "x ssh-rsa X\n" + twin);
    model.load();
    model.removeEntries(idsOfHost(model, u"twin"_s));
    QCOMPARE(readFile(path), QByteArray("x ssh-rsa X\n"));
    QCOMPARE(model.statusMessage(), u"Removed 2 entries"_s);

    // One copy selected (the second): the first occurrence goes, the other text stays.
    writeFile(path, twin + "x ssh-rsa X\n" + twin);
    model.load();
    model.removeEntries({model.entries().at(2).id});
    QCOMPARE(readFile(path), "x ssh-rsa X\n" + twin);
    QCOMPARE(model.statusMessage(), u"Removed 1 entry"_s);

    // A line changed on disk after the load stays, and is not counted as removed.
    writeFile(path, "a ssh-rsa A\nb ssh-rsa B\n");
    model.load();
    const QSet<QUuid> both = idsOfHost(model, QString());
    writeFile(path, "a ssh-rsa A2\nb ssh-rsa B\nnew ssh-rsa N\n");
    model.removeEntries(both);
    QCOMPARE(readFile(path), QByteArray("a ssh-rsa A2\nnew ssh-rsa N\n"));
    QCOMPARE(model.statusMessage(), u"Removed 1 entry"_s);
    QCOMPARE(model.entries().size(), 2);
}

void TestKnownHostsModel::readFailureDuringRemoval()
{
    const QString path = m_dir.filePath(u"vanishing_known_hosts"_s);
    KnownHostsModel model(path);

    // Removed after the load, then replaced by bytes that are not UTF-8.
    for (const std::optional<QByteArray> &replacement :
         {std::optional<QByteArray>(), std::optional<QByteArray>("\xc3(\n")}) {
        writeFile(path, "a ssh-rsa A\n");
        model.load();
        model.setErrorMessage(std::nullopt);
        QFile::remove(path);
        if (replacement)
            writeFile(path, *replacement);

        model.removeEntries(idsOfHost(model, u"a"_s));
        QCOMPARE(model.errorMessage(), std::optional<QString>(u"Cannot read "_s + path));
        QCOMPARE(model.statusMessage(), u"Loaded 1 entry"_s);
        QCOMPARE(model.entries().size(), 1);
        QCOMPARE(QFile::exists(path), bool(replacement));
        if (replacement)
            QCOMPARE(readFile(path), *replacement);
    }
}

void TestKnownHostsModel::writeFailureLeavesFileAlone()
{
    // A file nobody, not even root, can replace: its directory in /proc takes no new files.
    const QString link = m_dir.filePath(u"proc_known_hosts"_s);
    QVERIFY(QFile::link(u"/proc/version"_s, link));
    KnownHostsModel model(link);
    model.load();
    if (model.entries().isEmpty())
        QSKIP("/proc/version does not read as an entry here");
    const QByteArray before = readFile(link);

    model.removeEntries({model.entries().at(0).id});
    QVERIFY(model.errorMessage().has_value());
    QVERIFY(!model.errorMessage()->isEmpty());
    QVERIFY(!model.errorMessage()->startsWith(u"Cannot read"_s));
    QCOMPARE(model.statusMessage(), u"Loaded 1 entry"_s);
    QCOMPARE(readFile(link), before);
}

QTEST_GUILESS_MAIN(TestKnownHostsModel)
#include "TestKnownHostsModel.moc"
