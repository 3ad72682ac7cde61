#include "keys/SSHKeysModel.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace TestSupport;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    void makeKey(const QString &path, const QString &comment)
    {
        const ProcessResult r = SSHKeysModel::runProcessStatic(
            keygen,
            {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-f"_s, path, u"-C"_s, comment, u"-N"_s, QString()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
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
    void scanCountsAndFingerprints();
    void runnerMergesStreamsAndNeverBlocks();
    void deleteRemovesWhatIsThere();
    void generateBuildsArgumentsPerType();
    void generateReportsFailures();
    void generatedPassphraseKeyOpens();
    void generateOverwritesAndCopies();
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
    writeFile(ssh + u"binary.pub"_s, "ssh-ed25519 \xff\xfe");
    writeFile(ssh + u"upper.PUB"_s, "ssh-ed25519 AAAA upper");
    writeFile(ssh + u"lone.pub"_s, "ssh-ed25519 AAAA lone");
    writeFile(ssh + u".pub"_s, "ssh-ed25519 AAAA dotfile");

    SSHKeysModel model(ssh.chopped(1), keygen);
    model.load();
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

void TestKeysModel::scanCountsAndFingerprints()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s), tool = dir.filePath(u"tool"_s);
    QDir().mkpath(ssh);
    SSHKeysModel model(ssh, tool);
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 0 key pairs"_s);

    // The tool is asked about the private file, and its line is shown trimmed.
    writeFile(ssh + u"/k"_s, "private");
    writeFile(ssh + u"/k.pub"_s, "ssh-ed25519 AAAA c");
    writeScript(tool, "printf '  256 SHA256:abc %s (ED25519)\\n\\n' \"$3\"\n");
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 1 key pair"_s);
    QCOMPARE(model.keyPairs().first().fingerprint, u"256 SHA256:abc "_s + ssh + u"/k (ED25519)"_s);

    writeScript(tool, "echo 'something went wrong'\nexit 3\n");
    model.load();
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);
    QFile::remove(tool); // cannot start at all
    model.load();
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);

    // Once the directory is gone the list stays as it was.
    QVERIFY(QDir().rename(ssh, dir.filePath(u"moved"_s)));
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read ~/.ssh/"_s);
    QCOMPARE(model.keyPairs().size(), 1);
    QVERIFY(!model.errorMessage());
}

void TestKeysModel::runnerMergesStreamsAndNeverBlocks()
{
    QTemporaryDir dir;
    const QString tool = dir.filePath(u"tool"_s);
    const QList<std::tuple<QByteArray, int, QString>> cases{
        {"echo out; echo err >&2; echo out2; exit 7", 7, u"out\nerr\nout2\n"_s},
        // Standard input is ours (end of file), never the terminal; no controlling terminal either.
        {"read x; echo \"got:$x\"; (exec </dev/tty) 2>/dev/null && echo tty; exit 0", 0, u"got:\n"_s},
        {"printf 'ok\\377'", 0, QString()},
        {"kill -9 $$", 9, QString()},
    };
    for (const auto &[body, exitCode, output] : cases) {
        writeScript(tool, body + '\n');
        const ProcessResult r = SSHKeysModel::runProcessStatic(tool, {});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.output, output);
    }

    // Far more than a pipe holds, and the arguments arrive unchanged without a shell.
    writeScript(tool,
                "i=0; while [ $i -lt 4000 ]; do echo \"$1 $2 0123456789012345678901234567890123456789\"; "
                "i=$((i+1)); done\n");
    ProcessResult r = SSHKeysModel::runProcessStatic(tool, {u"a b"_s, u"$HOME;*"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.output.size(), 4000 * 53);
    QVERIFY(r.output.startsWith(u"a b $HOME;* 0123"_s));

    r = SSHKeysModel::runProcessStatic(dir.filePath(u"missing"_s), {});
    QCOMPARE(r.exitCode, -1);
    QVERIFY(r.output.contains(u"No such file"_s));
}

void TestKeysModel::deleteRemovesWhatIsThere()
{
    QTemporaryDir dir;
    makeKey(dir.filePath(u"a"_s), u"a"_s);
    makeKey(dir.filePath(u"b"_s), u"b"_s);
    SSHKeysModel model(dir.path(), keygen);
    model.load();

    // The public file went by hand: the private one still goes and the pair counts as deleted.
    const SSHKeyPair a = model.keyPairs().at(0);
    QFile::remove(a.publicURL);
    model.deleteKeyPair(a);
    QVERIFY(!QFileInfo::exists(a.privateURL));
    QCOMPARE(pairs(model), u"b|ssh-ed25519|b"_s);
    QCOMPARE(model.statusMessage(), u"Deleted: a"_s);
    model.deleteKeyPair(a);
    QCOMPARE(model.statusMessage(), u"Deleted: a"_s);
    QVERIFY(!model.errorMessage());

    // A "private key" that is a directory is not removed, and the failure is reported.
    writeFile(dir.filePath(u"c/inside"_s), "keep");
    writeFile(dir.filePath(u"c.pub"_s), "ssh-ed25519 AAAA c");
    model.load();
    const SSHKeyPair c = model.keyPairs().at(1);
    model.deleteKeyPair(c);
    QVERIFY(model.errorMessage().value_or(QString()).contains(c.privateURL));
    QCOMPARE(model.statusMessage(), u"Found 2 key pairs"_s);
    QVERIFY(QFileInfo::exists(dir.filePath(u"c/inside"_s)) && QFileInfo::exists(c.publicURL));
}

void TestKeysModel::generateBuildsArgumentsPerType()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s), tool = dir.filePath(u"tool"_s);
    QDir().mkpath(ssh);
    // Records its arguments, and what the passphrase helper answers, then succeeds.
    writeScript(
        tool,
        R"([ "$1" = -l ] && { echo fp; exit 0; }; [ "$1" = -y ] && exit 1; exec >"$0.log")"
        R"(; printf '[%s]' "$@"; [ -n "$SSH_ASKPASS" ] && echo "[askpass=$SSH_ASKPASS_REQUIRE:$("$SSH_ASKPASS" x)]"; exit 0)");
    SSHKeysModel model(ssh, tool);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);

    const QList<std::pair<KeyGenOptions, QString>> cases{
        {{KeyType::ed25519, u"id_ed25519"_s, {}, u"ignored"_s, false},
         u"[-t][ed25519][-f][%1/id_ed25519][-C][][-N][]"_s},
        {{KeyType::rsa, u" spaced"_s, u"me"_s, {}, true}, u"[-t][rsa][-b][4096][-f][%1/ spaced][-C][me][-N][]"_s},
        // The passphrase goes through the helper, never as an argument.
        {{KeyType::ecdsa, u"sub/k"_s, u"a comment"_s, u"s3cret pass"_s, true},
         u"[-t][ecdsa][-b][521][-f][%1/sub/k][-C][a comment][askpass=force:s3cret pass]\n"_s},
    };
    for (const auto &[options, expected] : cases) {
        model.generateKey(options);
        QVERIFY(model.isGenerating());
        QVERIFY(finished.wait());
        QVERIFY(!model.isGenerating());
        QCOMPARE(QString::fromUtf8(readFile(tool + u".log"_s)), expected.arg(ssh));
        QCOMPARE(model.statusMessage(), u"Generated: "_s + options.filename);
        QVERIFY(!model.errorMessage());
    }
}

void TestKeysModel::generateReportsFailures()
{
    QTemporaryDir dir;
    const QString tool = dir.filePath(u"tool"_s);
    writeFile(dir.filePath(u"k"_s), "private");
    writeFile(dir.filePath(u"k.pub"_s), "ssh-ed25519 AAAA");
    SSHKeysModel model(dir.path(), tool);
    model.load();
    const QString status = model.statusMessage();
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);
    auto generate = [&](const QByteArray &body, const KeyGenOptions &options = {}) {
        if (!body.isEmpty())
            writeScript(tool, body);
        model.generateKey(options);
        return finished.wait() ? model.errorMessage().value_or(u"(none)"_s) : u"(timeout)"_s;
    };

    QCOMPARE(generate("exit 4\n"), u"ssh-keygen failed (exit 4)"_s);
    QCOMPARE(generate("echo '  Saving key failed: Permission denied  '\nexit 1\n"),
             u"  Saving key failed: Permission denied  \n"_s);
    // A tool that ignores the passphrase helper and saves an open key is not a success.
    QVERIFY(
        generate("exit 0\n", {KeyType::ed25519, u"k2"_s, {}, u"secret"_s, true}).contains(u"without its passphrase"_s));
    QFile::remove(tool);
    QVERIFY(generate({}).contains(u"No such file"_s));
    QCOMPARE(model.statusMessage(), status);
    QCOMPARE(model.keyPairs().size(), 1);
    QVERIFY(!model.isGenerating());
}

void TestKeysModel::generatedPassphraseKeyOpens()
{
    QTemporaryDir dir;
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
    QCOMPARE(pairs(model), u"locked|ssh-ed25519|me@box; open|ecdsa-sha2-nistp521|"_s);

    auto publicKeyWith = [&](const QString &pass) {
        QProcess check;
        check.start(keygen, {u"-y"_s, u"-P"_s, pass, u"-f"_s, dir.filePath(u"locked"_s)});
        return check.waitForFinished() && check.exitCode() == 0 ? check.readAllStandardOutput().trimmed()
                                                                : QByteArray();
    };
    QVERIFY(publicKeyWith(passphrase).endsWith("me@box"));
    QVERIFY(publicKeyWith(u"wrong"_s).isEmpty());
}

void TestKeysModel::generateOverwritesAndCopies()
{
    QTemporaryDir dir;
    makeKey(dir.filePath(u"id_ed25519"_s), u"old"_s);
    const QByteArray before = readFile(dir.filePath(u"id_ed25519.pub"_s));
    SSHKeysModel model(dir.path(), keygen);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);
    model.generateKey({KeyType::ed25519, u"id_ed25519"_s, u"new"_s, {}, false});
    QVERIFY(finished.wait());
    QVERIFY2(!model.errorMessage(), qPrintable(model.errorMessage().value_or(QString())));
    QVERIFY(readFile(dir.filePath(u"id_ed25519.pub"_s)) != before);
    QCOMPARE(pairs(model), u"id_ed25519|ssh-ed25519|new"_s);
    QCOMPARE(model.statusMessage(), u"Generated: id_ed25519"_s);

    // The clipboard holds the key exactly once, however often it is copied.
    writeFile(dir.filePath(u"id_ed25519.pub"_s), "ssh-ed25519 AAAAkey me\n\n");
    model.load();
    QGuiApplication::clipboard()->setText(u"stale"_s);
    model.copyPublicKey(model.keyPairs().first());
    model.copyPublicKey(model.keyPairs().first());
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAkey me"_s);
    QCOMPARE(model.statusMessage(), u"Public key copied to clipboard"_s);
}

QTEST_MAIN(TestKeysModel)
#include "TestKeysModel.moc"
