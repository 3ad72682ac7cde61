#include "engine/SSHConfigModel.h"
#include "hosts/ConfigSources.h"
#include "hosts/KnownHostKeysRow.h"
#include "knownhosts/KnownHostsModel.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    // The lines ssh-keygen prints to standard output, comments left out.
    QStringList keygenLines(const QStringList &args)
    {
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(keygen, args);
        process.waitForFinished(-1);
        QStringList lines;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#'))
                lines << QString::fromUtf8(line);
        }
        return lines;
    }

    QByteArray sshString(const QByteArray &bytes)
    {
        const auto n = quint32(bytes.size());
        return QByteArray(1, char(n >> 24)) + char(n >> 16) + char(n >> 8) + char(n) + bytes;
    }

    // ssh-keygen reads random ed25519 keys and RSA moduli without checking them.
    QByteArray randomKey(QRandomGenerator &random, bool rsa)
    {
        QByteArray bytes(rsa ? 257 : 32, '\0'); // a modulus with its top bit set, after a zero
        for (qsizetype i = rsa ? 1 : 0; i < bytes.size(); ++i)
            bytes[i] = char(random.bounded(256) | (i == 1 ? 0x80 : 0));
        const QByteArray type = rsa ? "ssh-rsa" : "ssh-ed25519";
        const QByteArray exponent = rsa ? sshString(QByteArray("\x01\x00\x01", 3)) : QByteArray();
        return type + ' ' + (sshString(type) + exponent + sshString(bytes)).toBase64();
    }

    // A known_hosts file made with ssh-keygen: 100 keys of every type it makes, under plain names,
    // patterns, negations, ports, markers and hashed names, with a comment and a blank line.
    QByteArray makeSample(const QDir &dir)
    {
        QList<QByteArray> keys; // real ones first: curve points must be valid
        for (const QString &type :
             {u"ed25519"_s, u"ecdsa:256"_s, u"ecdsa:384"_s, u"ecdsa:521"_s, u"rsa:1024"_s, u"dsa"_s}) {
            const QString path = dir.filePath(u"key_"_s + type);
            QStringList args{u"-q"_s, u"-N"_s, {}, u"-f"_s, path, u"-t"_s, type.section(u':', 0, 0)};
            if (type.contains(u':'))
                args << u"-b"_s << type.section(u':', 1);
            keygenLines(args);
            const QList<QByteArray> fields = readFile(path + u".pub"_s).split(' ');
            if (fields.size() < 2)
                return {};
            keys << fields.at(0) + ' ' + fields.at(1);
        }
        QRandomGenerator random(7);
        while (keys.size() < 100)
            keys << randomKey(random, keys.size() % 2 == 0);

        const QList<QByteArray> plain = {"vault.internal",
                                         "[vault.internal]:2222",
                                         "*.internal",
                                         "db1.internal,!vault.internal",
                                         "VAULT.Internal",
                                         "web%1.example,10.0.0.%1",
                                         "@revoked vault.internal",
                                         "@cert-authority *.internal",
                                         "db?.internal",
                                         "[web%1.example]:22"};
        const QList<QByteArray> hashed = {"vault.internal", "[vault.internal]:2222", "web%1.example", "10.0.0.%1"};
        QByteArray text = "# made for the test\n\n";
        QByteArray toHash;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QByteArray n = QByteArray::number(i % 7);
            if (i < 70)
                text += QByteArray(plain.at(i % plain.size())).replace("%1", n) + ' ' + keys.at(i) + " c" + n + '\n';
            else
                toHash += QByteArray(hashed.at(i % hashed.size())).replace("%1", n) + ' ' + keys.at(i) + '\n';
        }
        writeFile(dir.filePath(u"to_hash"_s), toHash);
        keygenLines({u"-q"_s, u"-H"_s, u"-f"_s, dir.filePath(u"to_hash"_s)});
        const QByteArray hashedLines = readFile(dir.filePath(u"to_hash"_s));
        return hashedLines.startsWith("|1|") ? text + hashedLines : QByteArray();
    }

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
    void namesAreThoseSshLooksUp_data();
    void namesAreThoseSshLooksUp();
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

// The first Host section of `config` is the one asked about; ~/.ssh/inc holds `included`.
void TestKnownHostsModel::namesAreThoseSshLooksUp_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("included");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("alias") << QByteArray("Host Web3.Example\n") << QByteArray() << QStringList{u"web3.example"_s};
    QTest::newRow("host name and port") << QByteArray("Host vault\n HostName \" Vault.Internal\"\n Port 2222\n")
                                        << QByteArray() << QStringList{u"vault.internal"_s, u"[vault.internal]:2222"_s};
    QTest::newRow("port 22 is the plain name")
        << QByteArray("Host a\n Port 22\n") << QByteArray() << QStringList{u"a"_s};
    QTest::newRow("patterns, negations, quotes")
        << QByteArray("Host *.internal !b db? \"my host\" * c\n") << QByteArray() << QStringList{u"my host"_s, u"c"_s};
    QTest::newRow("%h for each alias") << QByteArray("Host h1 h2 *\n HostName %h.example.com\n") << QByteArray()
                                       << QStringList{u"h1.example.com"_s, u"h2.example.com"_s};
    QTest::newRow("token known only when connecting")
        << QByteArray("Host h1\n HostName %r.example\n") << QByteArray() << QStringList{};
    QTest::newRow("host name from an included file, first value wins")
        << QByteArray("Include inc\nHost a\n HostName late.example\n")
        << QByteArray("Host a\n HostName Early.Example\n") << QStringList{u"early.example"_s};
    QTest::newRow("HostKeyAlias alone, as ssh stores it")
        << QByteArray("Host a\n HostName x.example\n HostKeyAlias Keep\n Port 2222\n") << QByteArray()
        << QStringList{u"keep"_s};
}

void TestKnownHostsModel::namesAreThoseSshLooksUp()
{
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, included);
    QFETCH(QStringList, names);
    QTemporaryDir dir;
    const Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    QVERIFY(QDir().mkpath(locations.sshDir));
    writeFile(locations.configFile, config);
    writeFile(locations.sshDir + u"/inc"_s, included);
    SSHConfigModel model(locations.configFile);
    ConfigSources sources(&model, locations);
    QCOMPARE(KnownHostKeysRow::namesFor(model.blocks().constFirst(), sources.resolver(), locations.userName), names);
}

// Fingerprints as ssh-keygen -l prints them, the lines ssh-keygen -F finds for a name, and Forget
// leaving the file as ssh-keygen -R leaves a copy for each name of a host, the link staying a link.
void TestKnownHostsModel::agreesWithSshKeygen()
{
    if (!QFileInfo(keygen).isExecutable())
        QSKIP("no ssh-keygen");
    QTemporaryDir dir;
    const QByteArray sample = makeSample(QDir(dir.path()));
    QVERIFY(!sample.isEmpty());
    const QString target = dir.filePath(u"real_known_hosts"_s), path = dir.filePath(u"known_hosts"_s);
    const QString copy = dir.filePath(u"copy"_s);
    writeFile(target, sample);
    writeFile(copy, sample);
    QVERIFY(QFile::link(target, path));
    KnownHostsModel model(path);
    model.load();
    QCOMPARE(model.entries().size(), 100);

    QStringList ours, theirs;
    for (const KnownHostEntry &entry : model.entries()) {
        if (entry.marker().isEmpty()) // ssh-keygen -l passes over marker lines
            ours << entry.fingerprint();
    }
    for (const QString &line : keygenLines({u"-l"_s, u"-f"_s, path}))
        theirs << line.section(u' ', 1, 1);
    QCOMPARE(ours, theirs);
    for (const QString &name : {u"vault.internal"_s,
                                u"[vault.internal]:2222"_s,
                                u"Vault.Internal"_s,
                                u"db1.internal"_s,
                                u"web3.example"_s,
                                u"10.0.0.3"_s,
                                u"[web3.example]:22"_s,
                                u"nothere.example"_s}) {
        QStringList found;
        for (const qsizetype i : model.find(name))
            found << model.entries().at(i).rawLine();
        QCOMPARE(found, keygenLines({u"-F"_s, name, u"-f"_s, path}));
        QVERIFY2(!found.isEmpty() || name.startsWith(u"nothere"_s), qPrintable(name));
    }

    const Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    writeFile(locations.configFile, "Host vault\n  HostName Vault.Internal\n  Port 2222\nHost web3.example\n");
    SSHConfigModel config(locations.configFile);
    ConfigSources sources(&config, locations);
    KnownHostKeysRow row(&config, &model, &sources);
    row.show();
    auto *label = row.findChild<QLabel *>(u"knownHostKeysLabel"_s);
    Dialogs::setTestMode(true);
    for (const HostBlock &block : config.blocks()) {
        row.setBlockId(block.id);
        for (const QString &name : KnownHostKeysRow::namesFor(block, sources.resolver(), locations.userName))
            keygenLines({u"-R"_s, name, u"-f"_s, copy});
        const QByteArray expected = readFile(copy);
        const qsizetype known = readFile(path).count('\n') - expected.count('\n');
        QVERIFY(known > 0);
        QTRY_COMPARE(label->text(), u"Known host keys: %1"_s.arg(known));
        Dialogs::setNextAnswer(u"Forget"_s);
        row.forgetButton()->click();
        QCOMPARE(Dialogs::asked().constLast().buttons.value(Dialogs::asked().constLast().defaultChoice), u"Cancel"_s);
        QCOMPARE(readFile(target), expected);
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(label->text(), u"Known host keys: 0"_s);
    }
    Dialogs::reset();
}

QTEST_MAIN(TestKnownHostsModel)
#include "TestKnownHostsModel.moc"
