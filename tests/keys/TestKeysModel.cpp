#include "keys/SSHKeysModel.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace TestSupport;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    void makeKey(const QString &path, const QString &comment)
    {
        const ProcessResult r = SSHKeysModel::runProcessStatic(
            keygen,
            {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-f"_s, path, u"-C"_s, comment, u"-N"_s, QString()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output + r.failure));
    }

    // Starts a scan and waits for its list.
    bool load(SSHKeysModel &model)
    {
        QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
        model.load();
        return !changed.isEmpty() || changed.wait();
    }

    // "name|type|comment" for each pair, in the model's order.
    QString pairs(const SSHKeysModel &model)
    {
        QStringList list;
        for (const SSHKeyPair &pair : model.keyPairs())
            list << pair.name + u'|' + pair.keyType + u'|' + pair.comment;
        return list.join(u"; "_s);
    }
} // namespace

class TestKeysModel final : public QObject
{
    Q_OBJECT
private slots:
    void scanFindsPairsAndSplitsFields();
    void scanCountsFingerprintsAndDeletes();
    void hangingFingerprintRunsTimeOut();
    void generateRunsTheToolAndReportsFailures();
    void generatedKeysOpenAndOverwrite();
};

void TestKeysModel::scanFindsPairsAndSplitsFields()
{
    QTemporaryDir dir;
    const QString ssh = dir.path() + u'/';
    makeKey(ssh + u"id_ed25519"_s, u"me@host"_s);
    for (const char *name : {"Work", "three", "empty", "\xc3\xa4hm", "upper", "binary"})
        writeFile(ssh + QString::fromUtf8(name), "private");
    writeFile(ssh + u"Work.pub"_s, "ssh-rsa  AAAAdata word\n"); // two blanks: the key data joins the comment
    writeFile(ssh + u"three.pub"_s, "\t ecdsa-sha2-nistp256 AAAA one two three \r\n");
    writeFile(ssh + u"empty.pub"_s, "");
    writeFile(ssh + u"\u00e4hm.pub"_s, "ssh-ed25519 AAAA");
    writeFile(ssh + u"binary.pub"_s, "ssh-ed25519 AAAA cut\xe2\x82"); // ends inside a UTF-8 sequence
    writeFile(ssh + u"upper.PUB"_s, "ssh-ed25519 AAAA upper");
    writeFile(ssh + u"lone.pub"_s, "ssh-ed25519 AAAA lone");
    writeFile(ssh + u".pub"_s, "ssh-ed25519 AAAA dotfile");

    SSHKeysModel model(ssh.chopped(1), keygen);
    QVERIFY(load(model));
    QCOMPARE(pairs(model),
             u"Work|ssh-rsa|AAAAdata word; empty||; id_ed25519|ssh-ed25519|me@host; "
             "three|ecdsa-sha2-nistp256|one two three; \u00e4hm|ssh-ed25519|"_s);
    QCOMPARE(model.statusMessage(), u"Found 5 key pairs"_s);

    const SSHKeyPair real = model.keyPairs().at(2);
    QCOMPARE(real.publicKeyContent, QString::fromUtf8(readFile(real.publicURL)).chopped(1));
    QVERIFY2(real.fingerprint.startsWith(u"256 SHA256:"_s) && real.fingerprint.endsWith(u"me@host (ED25519)"_s),
             qPrintable(real.fingerprint));
    QCOMPARE(model.keyPairs().at(3).publicKeyContent, u"ecdsa-sha2-nistp256 AAAA one two three"_s);
    QCOMPARE(model.keyPairs().at(1).publicKeyContent, QString());
}

void TestKeysModel::scanCountsFingerprintsAndDeletes()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s), tool = dir.filePath(u"tool"_s);
    QDir().mkpath(ssh);
    SSHKeysModel model(ssh, tool);
    QVERIFY(load(model));
    QCOMPARE(model.statusMessage(), u"Found 0 key pairs"_s);

    // The tool is asked about the private file, and its line is shown trimmed.
    writeFile(ssh + u"/k"_s, "private");
    writeFile(ssh + u"/k.pub"_s, "ssh-ed25519 AAAA c\n\n");
    writeScript(tool, "printf '  256 SHA256:abc %s (ED25519)\\n\\n' \"$3\"\n");
    QVERIFY(load(model));
    QCOMPARE(model.statusMessage(), u"Found 1 key pair"_s);
    QCOMPARE(model.keyPairs().first().fingerprint, u"256 SHA256:abc "_s + ssh + u"/k (ED25519)"_s);

    writeScript(tool, "echo 'something went wrong'\nexit 3\n");
    QVERIFY(load(model));
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);
    QFile::remove(tool); // cannot start at all
    QVERIFY(load(model));
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);

    // The public file went by hand: the private one still goes, and the pair leaves the list at
    // once, before the rescan.
    QFile::remove(ssh + u"/k.pub"_s);
    QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
    model.deleteKeyPair(model.keyPairs().first());
    QVERIFY(!QFileInfo::exists(ssh + u"/k"_s));
    QVERIFY(model.keyPairs().isEmpty());
    QTRY_COMPARE(changed.size(), 2);
    QCOMPARE(model.statusMessage(), u"Deleted: k"_s);
    QVERIFY(!model.errorMessage());
    writeFile(ssh + u"/k"_s, "private");
    writeFile(ssh + u"/k.pub"_s, "ssh-ed25519 AAAA c");
    QVERIFY(load(model));

    // Once the directory is gone the list stays as it was.
    QVERIFY(QDir().rename(ssh, dir.filePath(u"moved"_s)));
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read ~/.ssh/"_s);
    QCOMPARE(model.keyPairs().size(), 1);
    QVERIFY(!model.errorMessage());
}

void TestKeysModel::hangingFingerprintRunsTimeOut()
{
    // ssh-keygen waits for ever for a writer on a FIFO named like a private key.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"id_fifo"_s);
    makeKey(dir.filePath(u"id_ed25519"_s), u"me"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(fifo + u".pub"_s, "ssh-ed25519 AAAAfifo fifo\n");
    SSHKeysModel model(dir.path(), keygen);
    model.setFingerprintTimeout(1000);
    QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
    model.load();
    QVERIFY(changed.isEmpty()); // load() returned with the runs still out
    QVERIFY(changed.wait());
    QCOMPARE(pairs(model), u"id_ed25519|ssh-ed25519|me; id_fifo|ssh-ed25519|fifo"_s);
    QVERIFY(model.keyPairs().at(0).fingerprint.contains(u"SHA256:"_s));
    QCOMPARE(model.keyPairs().at(1).fingerprint, u"Unable to read fingerprint"_s);
    QCOMPARE(model.statusMessage(), u"Found 2 key pairs"_s);

    // A second scan replaces one still waiting on the FIFO; nothing of the first one arrives.
    changed.clear();
    model.setFingerprintTimeout(60000);
    model.load();
    QFile::remove(fifo);
    QFile::remove(fifo + u".pub"_s);
    model.load();
    QVERIFY(changed.wait());
    QTRY_VERIFY(model.findChildren<ProcessRunner *>().isEmpty());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(pairs(model), u"id_ed25519|ssh-ed25519|me"_s);
}

void TestKeysModel::generateRunsTheToolAndReportsFailures()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s), tool = dir.filePath(u"tool"_s);
    QDir().mkpath(ssh);
    SSHKeysModel model(ssh, tool);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);
    auto generate = [&](const QByteArray &body, const KeyGenOptions &options = {}) {
        writeScript(tool, body);
        model.setErrorMessage(std::nullopt);
        model.generateKey(options);
        if (!model.isGenerating())
            return u"(not generating)"_s;
        return finished.wait() && !model.isGenerating() ? model.errorMessage().value_or(u"(none)"_s) : u"(timeout)"_s;
    };

    // Records its arguments, and what the passphrase helper answers, then succeeds.
    const QByteArray recorder =
        R"([ "$1" = -y ] && exit 1; exec >"$0.log"; printf '[%s]' "$@")"
        R"(; [ -n "$SSH_ASKPASS" ] && echo "[askpass=$SSH_ASKPASS_REQUIRE:$("$SSH_ASKPASS" x)]"; exit 0)";
    const QList<std::pair<KeyGenOptions, QString>> cases{
        {{KeyType::ed25519, u"id_ed25519"_s, {}, u"ignored"_s, false},
         u"[-t][ed25519][-f][%1/id_ed25519][-C][][-N][]"_s},
        {{KeyType::rsa, u" spaced"_s, u"me"_s, {}, true}, u"[-t][rsa][-b][4096][-f][%1/ spaced][-C][me][-N][]"_s},
        // The passphrase goes through the helper, never as an argument.
        {{KeyType::ecdsa, u"sub/k"_s, u"a comment"_s, u"s3cret pass"_s, true},
         u"[-t][ecdsa][-b][521][-f][%1/sub/k][-C][a comment][askpass=force:s3cret pass]\n"_s},
    };
    for (const auto &[options, expected] : cases) {
        QCOMPARE(generate(recorder, options), u"(none)"_s);
        QCOMPARE(QString::fromUtf8(readFile(tool + u".log"_s)), expected.arg(ssh));
        QCOMPARE(model.statusMessage(), u"Generated: "_s + options.filename);
    }

    QCOMPARE(generate("exit 4\n"), u"ssh-keygen failed (exit 4)"_s);
    QCOMPARE(generate("echo '  Saving key failed: Permission denied  '\nexit 1\n"),
             u"  Saving key failed: Permission denied  \n"_s);
    // A tool that ignores the passphrase helper and saves an open key is not a success.
    QVERIFY(
        generate("exit 0\n", {KeyType::ed25519, u"k2"_s, {}, u"secret"_s, true}).contains(u"without its passphrase"_s));
    model.setGenerationTimeout(300);
    QCOMPARE(generate("exec sleep 30\n"), u"tool did not finish within 1 second"_s);
    QFile::remove(tool);
    model.generateKey({});
    QVERIFY(finished.wait());
    QVERIFY(model.errorMessage().value_or(QString()).contains(u"No such file"_s));
    QCOMPARE(model.statusMessage(), u"Generated: sub/k"_s);
}

void TestKeysModel::generatedKeysOpenAndOverwrite()
{
    QTemporaryDir dir;
    const QDir ssh(dir.path());
    makeKey(dir.filePath(u"open"_s), u"old"_s);
    QFile::setPermissions(dir.filePath(u"open.pub"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QByteArray oldPrivate = readFile(dir.filePath(u"open"_s)), before = readFile(dir.filePath(u"open.pub"_s));
    // Backup names of these seconds are taken for the public key only: both move on to "-2".
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 3; ++s)
        writeFile(dir.filePath(u"open.pub.bak."_s + now.addSecs(s).toString(u"yyyyMMdd_HHmmss"_s)), "older");
    SSHKeysModel model(dir.path(), keygen);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);
    const QString passphrase = u"correct horse b\u00e4ttery"_s;

    model.generateKey({KeyType::ed25519, u"locked"_s, u"me@box"_s, passphrase, true});
    // Two at once: each reports on its own, and the flag stays up until both are done.
    model.generateKey({KeyType::ecdsa, u"open"_s, {}, {}, false});
    QVERIFY(finished.wait());
    if (finished.size() < 2)
        QVERIFY(model.isGenerating());
    QTRY_COMPARE(finished.size(), 2);
    QVERIFY(!model.isGenerating());
    QVERIFY2(!model.errorMessage(), qPrintable(model.errorMessage().value_or(QString())));
    QVERIFY(readFile(dir.filePath(u"open.pub"_s)) != before);
    QCOMPARE(pairs(model), u"locked|ssh-ed25519|me@box; open|ecdsa-sha2-nistp521|"_s);

    // The old pair was kept beside the new one, bits and bytes, under one suffix.
    const QStringList kept = ssh.entryList({u"open.bak.*"_s});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(kept.first().endsWith(u"-2"_s), qPrintable(kept.first()));
    const QString keptPublic = QString(kept.first()).replace(u".bak."_s, u".pub.bak."_s);
    QCOMPARE(readFile(ssh.filePath(kept.first())), oldPrivate);
    QCOMPARE(readFile(ssh.filePath(keptPublic)), before);
    QCOMPARE(modeOf(ssh.filePath(kept.first())), 0600);
    QCOMPARE(modeOf(ssh.filePath(keptPublic)), 0640);
    QCOMPARE(ssh.entryList({u"open.pub.bak.*"_s}).size(), 4);
    // The status names the backup.
    model.generateKey({KeyType::ed25519, u"open"_s, {}, {}, false});
    QVERIFY(finished.wait());
    QStringList keptNow = ssh.entryList({u"open.bak.*"_s});
    keptNow.removeOne(kept.first());
    QCOMPARE(keptNow.size(), 1);
    QCOMPARE(model.statusMessage(), u"Generated: open \u2014 the old pair is kept as "_s + keptNow.first());

    auto publicKeyWith = [&](const QString &pass) {
        QProcess check;
        check.start(keygen, {u"-y"_s, u"-P"_s, pass, u"-f"_s, dir.filePath(u"locked"_s)});
        return check.waitForFinished() && check.exitCode() == 0 ? check.readAllStandardOutput().trimmed()
                                                                : QByteArray();
    };
    QVERIFY(publicKeyWith(passphrase).endsWith("me@box"));
    QVERIFY(publicKeyWith(u"wrong"_s).isEmpty());
}

QTEST_GUILESS_MAIN(TestKeysModel)
#include "TestKeysModel.moc"
