#include "KnownHostsSample.h"
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
    // "[marker ]host|algorithm|preview|h|lineIndex" per entry, h = 1 for hashed, joined by newlines.
    QString describe(const KnownHostsModel &model)
    {
        QStringList rows;
        const QStringList lines = model.allLines();
        for (const KnownHostEntry &e : model.entries()) {
            rows << u"%1|%2|%3|%4|%5"_s.arg(e.host(), e.algorithm(), e.keyPreview())
                        .arg(int(e.isHashed))
                        .arg(e.lineIndex);
            if (!e.marker().isEmpty())
                rows.last().prepend(e.marker() + u' ');
            if (e.rawLine() != lines.value(e.lineIndex))
                rows.last() += u" (raw line differs)"_s;
        }
        return rows.join(u'\n');
    }
} // namespace

class TestKnownHostsModel final : public QObject
{
    Q_OBJECT
private slots:
    void parsesLines_data();
    void parsesLines();
    void removalKeepsEveryOtherByte_data();
    void removalKeepsEveryOtherByte();
    void agreesWithSshKeygen();

private:
    QTemporaryDir m_dir;
};

void TestKnownHostsModel::parsesLines_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("status");

    QTest::newRow("missing") << QByteArray() << QString() << u"known_hosts not found"_s;
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
    // A marker takes the host, algorithm and key from the fields after it; an unknown word or
    // one without three fields after it is an ordinary host field.
    QTest::newRow("markers") << QByteArray("@cert-authority *.example ssh-ed25519 AAAA\n"
                                           "\t@revoked |1|c2FsdA==|aGFzaA== ssh-rsa BBBB c\n"
                                           "@trusted h ssh-rsa CCCC\n@revoked h ssh-rsa\n")
                             << u"@cert-authority *.example|ssh-ed25519|AAAA…|0|0\n"
                                u"@revoked (hashed entry)|ssh-rsa|BBBB…|1|1\n"
                                u"@trusted|h|ssh-rsa…|0|2\n@revoked|h|ssh-rsa…|0|3"_s
                             << u"Loaded 4 entries"_s;
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
    QTest::newRow("byte order mark kept")
        << QByteArray("\xef\xbb\xbfh ssh-rsa K\n") << u"\ufeffh|ssh-rsa|K…|0|0"_s << u"Loaded 1 entry"_s;
    // Bytes that are not UTF-8 show nothing, and a removal leaves them as they are.
    for (const char *bad : {"\xff\xfe", "\xc0\xaf", "\xed\xa0\x80", "\xe2\x80"})
        QTest::addRow("not UTF-8: %s", QByteArray(bad).toHex(' ').constData())
            << QByteArray("h ssh-rsa K\nh2 ssh-rsa K") + bad << QString() << u"known_hosts not found"_s;
}

void TestKnownHostsModel::parsesLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QFETCH(QString, status);
    const QString path = m_dir.filePath(u"parse_known_hosts"_s);
    KnownHostsModel model(path);
    writeFile(path, "old ssh-rsa K\n");
    model.load();
    QFile::remove(path);
    if (!content.isNull())
        writeFile(path, content);

    // A removal reads the file afresh: one it cannot read fails untouched, others keep every byte.
    model.removeEntries({model.entries().at(0).id});
    const bool unreadable = status == u"known_hosts not found"_s;
    QCOMPARE(model.errorMessage(), unreadable ? std::optional(u"Cannot read "_s + path) : std::nullopt);
    QCOMPARE(model.statusMessage(), unreadable ? u"Loaded 1 entry"_s : u"Removed 0 entries"_s);
    QCOMPARE(model.entries().size() == 1 && model.entries().at(0).host() == "old"_L1, unreadable);
    QCOMPARE(QFile::exists(path), !content.isNull());
    QCOMPARE(readFile(path), content);

    model.setErrorMessage(u"earlier"_s);
    model.load();
    QCOMPARE(describe(model), expected);
    QCOMPARE(model.statusMessage(), status);
    QCOMPARE(model.errorMessage(), std::optional<QString>(u"earlier"_s)); // loading reports no error
}

void TestKnownHostsModel::removalKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("remove"); // entry indexes
    QTest::addColumn<QByteArray>("onDisk"); // written after the load when not null
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("removed");

    const QByteArray twin = "twin ssh-rsa T\n";
    QTest::newRow("mixed lines") << QByteArray("# keep this comment  \n\n  unparseable ssh-rsa\n"
                                               "\tgone ssh-ed25519 AAAA comment\n"
                                               "kept\tssh-ed25519 BBBB\n"
                                               "\xef\xbc\xa1 weird\xe2\x80\xa8line ssh-rsa CCCC\n")
                                 << QList<int>{0} << QByteArray()
                                 << QByteArray("# keep this comment  \n\n  unparseable ssh-rsa\n"
                                               "kept\tssh-ed25519 BBBB\n"
                                               "\xef\xbc\xa1 weird\xe2\x80\xa8line ssh-rsa CCCC\n")
                                 << 1;
    // Line endings stay as they were; a removed line takes its whole CR LF along.
    QTest::newRow("crlf") << QByteArray("g ssh-rsa G\r\na ssh-rsa A\r\nh ssh-rsa H\r\nb ssh-rsa B\r\n")
                          << QList<int>{0, 2} << QByteArray() << QByteArray("a ssh-rsa A\r\nb ssh-rsa B\r\n") << 2;
    // No line feed is added at the end, and one that was there stays.
    QTest::newRow("last line, no final break")
        << QByteArray("a ssh-rsa A\ng ssh-rsa G") << QList<int>{1} << QByteArray() << QByteArray("a ssh-rsa A") << 1;
    QTest::newRow("last line, final break") << QByteArray("a ssh-rsa A\ng ssh-rsa G\n") << QList<int>{1} << QByteArray()
                                            << QByteArray("a ssh-rsa A\n") << 1;
    QTest::newRow("only line") << QByteArray("g ssh-rsa G") << QList<int>{0} << QByteArray() << QByteArray("") << 1;
    // Identical lines: each selected text goes as often as it was selected, first occurrence first.
    QTest::newRow("both twins") << twin + "x ssh-rsa X\n" + twin << QList<int>{0, 2} << QByteArray()
                                << QByteArray("x ssh-rsa X\n") << 2;
    QTest::newRow("second twin") << twin + "x ssh-rsa X\n" + twin << QList<int>{2} << QByteArray()
                                 << "x ssh-rsa X\n" + twin << 1;
    // Zero bytes are ordinary characters.
    QTest::newRow("zero bytes") << QByteArray("a\0b ssh-rsa AAAA\0\nplain ssh-ed25519 K\r\n\0\0\0\n\0 x y\n", 49)
                                << QList<int>{0, 2} << QByteArray() << QByteArray("plain ssh-ed25519 K\r\n\0\0\0\n", 25)
                                << 2;
    // A line changed on disk since the load stays and is not counted.
    QTest::newRow("changed on disk") << QByteArray("a ssh-rsa A\nb ssh-rsa B\n") << QList<int>{0, 1}
                                     << QByteArray("a ssh-rsa A2\nb ssh-rsa B\nnew ssh-rsa N\n")
                                     << QByteArray("a ssh-rsa A2\nnew ssh-rsa N\n") << 1;
}

void TestKnownHostsModel::removalKeepsEveryOtherByte()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, remove);
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, expected);
    QFETCH(int, removed);
    // Through a symbolic link, which stays, to a file whose mode stays.
    const QString target = m_dir.filePath(u"real_known_hosts"_s), path = m_dir.filePath(u"linked_known_hosts"_s);
    writeFile(target, content);
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(target, mode));
    QFile::remove(path);
    QVERIFY(QFile::link(target, path));
    KnownHostsModel model(path);
    model.load();
    QSet<QUuid> ids;
    for (int index : remove)
        ids.insert(model.entries().at(index).id);
    if (!onDisk.isNull())
        writeFile(path, onDisk);

    model.removeEntries(ids);
    QCOMPARE(readFile(target), expected);
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(QFileInfo(target).permissions(), mode);
    QCOMPARE(model.statusMessage(), removed == 1 ? u"Removed 1 entry"_s : u"Removed %1 entries"_s.arg(removed));
    QCOMPARE(model.errorMessage(), std::nullopt);
    KnownHostsModel reread(path); // the model shows the file as written
    reread.load();
    QCOMPARE(describe(model), describe(reread));
}

// Fingerprints as ssh-keygen -l prints them, and the lines ssh-keygen -F finds for a name, on a
// file ssh-keygen made: keys of every type, hashed names, patterns, negations, ports, markers.
void TestKnownHostsModel::agreesWithSshKeygen()
{
    if (!QFileInfo(KnownHostsSample::keygen).isExecutable())
        QSKIP("no ssh-keygen");
    QTemporaryDir dir;
    const QByteArray sample = KnownHostsSample::make(dir.path());
    QVERIFY(!sample.isEmpty());
    const QString path = dir.filePath(u"known_hosts"_s);
    writeFile(path, sample);
    KnownHostsModel model(path);
    model.load();
    QCOMPARE(model.entries().size(), 100);

    QStringList ours;
    for (const KnownHostEntry &entry : model.entries()) {
        if (entry.marker().isEmpty()) // ssh-keygen -l passes over marker lines
            ours << entry.fingerprint();
    }
    QStringList theirs;
    for (const QByteArray &line : KnownHostsSample::run({u"-l"_s, u"-f"_s, path}).split('\n')) {
        if (!line.isEmpty())
            theirs << QString::fromLatin1(line.split(' ').value(1));
    }
    QCOMPARE(ours, theirs);

    for (const QString &name : {u"vault.internal"_s,
                                u"[vault.internal]:2222"_s,
                                u"Vault.Internal"_s,
                                u"db1.internal"_s,
                                u"web3.example"_s,
                                u"10.0.0.3"_s,
                                u"[web3.example]:22"_s,
                                u"nothere.example"_s}) {
        QList<int> found;
        for (const qsizetype i : model.find(name))
            found << model.entries().at(i).lineIndex + 1;
        QCOMPARE(found, KnownHostsSample::foundLines(KnownHostsSample::run({u"-F"_s, name, u"-f"_s, path})));
        QVERIFY2(!found.isEmpty() || name.startsWith(u"nothere"_s), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestKnownHostsModel)
#include "TestKnownHostsModel.moc"
