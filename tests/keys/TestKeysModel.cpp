#include "keys/SSHKeysModel.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    void makeKey(const QString &path, const QString &type, const QString &comment)
    {
        const ProcessResult r = SSHKeysModel::runProcessStatic(
            keygen,
            {u"-q"_s, u"-t"_s, type, u"-f"_s, path, u"-C"_s, comment, u"-N"_s, QString()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    }

    const SSHKeyPair *findPair(const SSHKeysModel &model, const QString &name)
    {
        for (const SSHKeyPair &pair : model.keyPairs()) {
            if (pair.name == name)
                return &pair;
        }
        return nullptr;
    }

    QStringList names(const SSHKeysModel &model)
    {
        QStringList list;
        for (const SSHKeyPair &pair : model.keyPairs())
            list << pair.name;
        return list;
    }
} // namespace

class TestKeysModel final : public QObject
{
    Q_OBJECT
private slots:
    void scanFindsPairsAndSplitsFields();
    void scanCountsAndUnreadableDirectory();
    void fingerprintFromTheTool();
    void runnerMergesStreamsAndNeverBlocks();
    void deleteRemovesWhatIsThere();
    void generateBuildsArgumentsPerType();
    void generateReportsFailures();
    void generatedPassphraseKeyOpensAndStaysOffTheCommandLine();
    void generateOverwritesAnExistingPair();
    void copyPutsTheKeyOnTheClipboardOnce();
};

void TestKeysModel::scanFindsPairsAndSplitsFields()
{
    QTemporaryDir dir;
    const QString ssh = dir.path();
    makeKey(ssh + u"/id_ed25519"_s, u"ed25519"_s, u"me@host"_s);
    // Hand-made public files beside stand-in private files.
    writeFile(ssh + u"/Work"_s, "private");
    writeFile(ssh + u"/Work.pub"_s, "ssh-rsa  AAAAdata word\n");
    writeFile(ssh + u"/three"_s, "private");
    writeFile(ssh + u"/three.pub"_s, "\t ecdsa-sha2-nistp256 AAAA one two three \r\n");
    writeFile(ssh + u"/empty"_s, "private");
    writeFile(ssh + u"/empty.pub"_s, "");
    writeFile(ssh + u"/\u00e4hm"_s, "private");
    writeFile(ssh + u"/\u00e4hm.pub"_s, "ssh-ed25519 AAAA");
    writeFile(ssh + u"/lone.pub"_s, "ssh-ed25519 AAAA lone");
    writeFile(ssh + u"/upper"_s, "private");
    writeFile(ssh + u"/upper.PUB"_s, "ssh-ed25519 AAAA upper");
    writeFile(ssh + u"/binary"_s, "private");
    writeFile(ssh + u"/binary.pub"_s, "ssh-ed25519 \xff\xfe");
    writeFile(ssh + u"/.pub"_s, "ssh-ed25519 AAAA dotfile");
    writeFile(ssh + u"/onlyprivate"_s, "private");

    SSHKeysModel model(ssh, keygen);
    model.load();
    QCOMPARE(names(model), (QStringList{u"Work"_s, u"empty"_s, u"id_ed25519"_s, u"three"_s, u"\u00e4hm"_s}));
    QCOMPARE(model.statusMessage(), u"Found 5 key pairs"_s);

    const SSHKeyPair *real = findPair(model, u"id_ed25519"_s);
    QCOMPARE(real->keyType, u"ssh-ed25519"_s);
    QCOMPARE(real->comment, u"me@host"_s);
    QCOMPARE(real->privateURL, ssh + u"/id_ed25519"_s);
    QCOMPARE(real->publicURL, ssh + u"/id_ed25519.pub"_s);
    QCOMPARE(real->publicKeyContent, QString::fromUtf8(readFile(ssh + u"/id_ed25519.pub"_s)).chopped(1));
    QVERIFY2(real->fingerprint.startsWith(u"256 SHA256:"_s) && real->fingerprint.endsWith(u"me@host (ED25519)"_s),
             qPrintable(real->fingerprint));

    // Two blanks leave an empty field, so the key data becomes part of the comment.
    QCOMPARE(findPair(model, u"Work"_s)->comment, u"AAAAdata word"_s);
    QCOMPARE(findPair(model, u"Work"_s)->fingerprint, u"Unable to read fingerprint"_s);
    QCOMPARE(findPair(model, u"three"_s)->keyType, u"ecdsa-sha2-nistp256"_s);
    QCOMPARE(findPair(model, u"three"_s)->comment, u"one two three"_s);
    QCOMPARE(findPair(model, u"three"_s)->publicKeyContent, u"ecdsa-sha2-nistp256 AAAA one two three"_s);
    QCOMPARE(findPair(model, u"\u00e4hm"_s)->comment, QString());
    QCOMPARE(findPair(model, u"empty"_s)->keyType, QString());
    QCOMPARE(findPair(model, u"empty"_s)->publicKeyContent, QString());
}

void TestKeysModel::scanCountsAndUnreadableDirectory()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s);
    QDir().mkpath(ssh);
    SSHKeysModel model(ssh, keygen);
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 0 key pairs"_s);

    writeFile(ssh + u"/a"_s, "private");
    writeFile(ssh + u"/a.pub"_s, "ssh-ed25519 AAAA");
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 1 key pair"_s);

    // Once the directory is gone the list stays as it was.
    QVERIFY(QDir().rename(ssh, dir.filePath(u"moved"_s)));
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read ~/.ssh/"_s);
    QCOMPARE(model.keyPairs().size(), 1);
    QVERIFY(!model.errorMessage());
}

void TestKeysModel::fingerprintFromTheTool()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s);
    writeFile(ssh + u"/k"_s, "private");
    writeFile(ssh + u"/k.pub"_s, "ssh-ed25519 AAAA c");
    const QString tool = dir.filePath(u"tool"_s);
    SSHKeysModel model(ssh, tool);

    // The tool is asked about the private file, and its line is shown trimmed.
    writeScript(tool, "printf '  256 SHA256:abc %s (ED25519)\\n\\n' \"$3\"\n");
    model.load();
    QCOMPARE(model.keyPairs().first().fingerprint, u"256 SHA256:abc "_s + ssh + u"/k (ED25519)"_s);

    writeScript(tool, "echo 'something went wrong'\nexit 3\n");
    model.load();
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);

    QFile::remove(tool); // cannot start at all
    model.load();
    QCOMPARE(model.keyPairs().first().fingerprint, u"Unable to read fingerprint"_s);
    QCOMPARE(model.keyPairs().size(), 1);
}

void TestKeysModel::runnerMergesStreamsAndNeverBlocks()
{
    QTemporaryDir dir;
    const QString tool = dir.filePath(u"tool"_s);
    {
        writeScript(tool, "echo out; echo err >&2; echo out2; exit 7\n");
        const ProcessResult r = SSHKeysModel::runProcessStatic(tool, {});
        QCOMPARE(r.exitCode, 7);
        QCOMPARE(r.output, u"out\nerr\nout2\n"_s);
    }
    {
        // Far more than a pipe holds, and the arguments arrive unchanged without a shell.
        writeScript(tool,
                    "i=0; while [ $i -lt 4000 ]; do echo \"$1 $2 0123456789012345678901234567890123456789\"; "
                    "i=$((i+1)); done\n");
        const ProcessResult r = SSHKeysModel::runProcessStatic(tool, {u"a b"_s, u"$HOME;*"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output.size(), 4000 * 53);
        QVERIFY(r.output.startsWith(u"a b $HOME;* 0123"_s));
    }
    {
        // Standard input is ours (end of file), never the terminal; no controlling terminal either.
        writeScript(tool, "read x; echo \"got:$x\"; (exec </dev/tty) 2>/dev/null && echo tty\n");
        const ProcessResult r = SSHKeysModel::runProcessStatic(tool, {});
        QCOMPARE(r.output, u"got:\n"_s);
    }
    {
        writeScript(tool, "printf 'ok\\377'\n");
        const ProcessResult r = SSHKeysModel::runProcessStatic(tool, {});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, QString());
    }
    {
        writeScript(tool, "kill -9 $$\n");
        QVERIFY(SSHKeysModel::runProcessStatic(tool, {}).exitCode != 0);
    }
    {
        const ProcessResult r = SSHKeysModel::runProcessStatic(dir.filePath(u"missing"_s), {});
        QCOMPARE(r.exitCode, -1);
        QVERIFY(r.output.contains(u"No such file"_s));
    }
}

void TestKeysModel::deleteRemovesWhatIsThere()
{
    QTemporaryDir dir;
    makeKey(dir.filePath(u"a"_s), u"ed25519"_s, u"a"_s);
    makeKey(dir.filePath(u"b"_s), u"ed25519"_s, u"b"_s);
    SSHKeysModel model(dir.path(), keygen);
    model.load();
    QCOMPARE(model.keyPairs().size(), 2);

    // The public file went by hand: the private one still goes and the pair counts as deleted.
    const SSHKeyPair a = model.keyPairs().at(0);
    QFile::remove(a.publicURL);
    model.deleteKeyPair(a);
    QVERIFY(!QFileInfo::exists(a.privateURL));
    QCOMPARE(names(model), QStringList{u"b"_s});
    QCOMPARE(model.statusMessage(), u"Deleted: a"_s);
    model.deleteKeyPair(a);
    QCOMPARE(model.statusMessage(), u"Deleted: a"_s);
    QVERIFY(!model.errorMessage());

    // A "private key" that is a directory is not removed, and the failure is reported.
    QDir(dir.path()).mkdir(u"c"_s);
    writeFile(dir.filePath(u"c/inside"_s), "keep");
    writeFile(dir.filePath(u"c.pub"_s), "ssh-ed25519 AAAA c");
    model.load();
    const SSHKeyPair c = *findPair(model, u"c"_s);
    model.deleteKeyPair(c);
    QVERIFY(model.errorMessage());
    QVERIFY(model.errorMessage()->contains(c.privateURL));
    QCOMPARE(model.statusMessage(), u"Found 2 key pairs"_s);
    QVERIFY(QFileInfo::exists(dir.filePath(u"c/inside"_s)));
    QVERIFY(QFileInfo::exists(c.publicURL));
}

void TestKeysModel::generateBuildsArgumentsPerType()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s);
    QDir().mkpath(ssh);
    const QString tool = dir.filePath(u"tool"_s);
    const QString log = dir.filePath(u"args"_s);
    // Records its arguments, and what the passphrase helper answers, then succeeds.
    writeScript(
        tool,
        "[ \"$1\" = -l ] && { echo fp; exit 0; }\n[ \"$1\" = -y ] && exit 1\n"
        "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '"
            + log.toUtf8()
            + "'\n"
              "[ -n \"$SSH_ASKPASS\" ] && echo \"[askpass=$SSH_ASKPASS_REQUIRE:$(\"$SSH_ASKPASS\" prompt)]\" >> '"
            + log.toUtf8() + "'\nexit 0\n");
    SSHKeysModel model(ssh, tool);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);

    struct Case {
        KeyGenOptions options;
        QStringList expected;
    };
    const QList<Case> cases{
        {{KeyType::ed25519, u"id_ed25519"_s, {}, u"ignored"_s, false},
         {u"-t"_s, u"ed25519"_s, u"-f"_s, ssh + u"/id_ed25519"_s, u"-C"_s, u""_s, u"-N"_s, u""_s}},
        {{KeyType::rsa, u" spaced"_s, u"me"_s, {}, true},
         {u"-t"_s, u"rsa"_s, u"-b"_s, u"4096"_s, u"-f"_s, ssh + u"/ spaced"_s, u"-C"_s, u"me"_s, u"-N"_s, u""_s}},
        // The passphrase goes through the helper, never as an argument.
        {{KeyType::ecdsa, u"sub/k"_s, u"a comment"_s, u"s3cret pass"_s, true},
         {u"-t"_s,
          u"ecdsa"_s,
          u"-b"_s,
          u"521"_s,
          u"-f"_s,
          ssh + u"/sub/k"_s,
          u"-C"_s,
          u"a comment"_s,
          u"askpass=force:s3cret pass"_s}},
    };
    for (const Case &c : cases) {
        model.generateKey(c.options);
        QVERIFY(model.isGenerating());
        QVERIFY(finished.wait());
        QVERIFY(!model.isGenerating());
        QStringList expected;
        for (const QString &arg : c.expected)
            expected << u'[' + arg + u']';
        QCOMPARE(QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts), expected);
        QCOMPARE(model.statusMessage(), u"Generated: "_s + c.options.filename);
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

    writeScript(tool, "exit 4\n");
    model.generateKey({});
    QVERIFY(finished.wait());
    QCOMPARE(model.errorMessage(), u"ssh-keygen failed (exit 4)"_s);

    writeScript(tool, "echo '  Saving key failed: Permission denied  '\nexit 1\n");
    model.generateKey({});
    QVERIFY(finished.wait());
    QCOMPARE(model.errorMessage(), u"  Saving key failed: Permission denied  \n"_s);

    // A tool that ignores the passphrase helper and saves an open key is not a success.
    writeScript(tool, "exit 0\n");
    model.generateKey({KeyType::ed25519, u"k2"_s, {}, u"secret"_s, true});
    QVERIFY(finished.wait());
    QVERIFY(model.errorMessage()->contains(u"without its passphrase"_s));

    QFile::remove(tool);
    model.generateKey({});
    QVERIFY(finished.wait());
    QVERIFY(model.errorMessage()->contains(u"No such file"_s));
    QCOMPARE(model.statusMessage(), status);
    QCOMPARE(model.keyPairs().size(), 1);
    QVERIFY(!model.isGenerating());
}

void TestKeysModel::generatedPassphraseKeyOpensAndStaysOffTheCommandLine()
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
    QCOMPARE(names(model), (QStringList{u"locked"_s, u"open"_s}));
    QCOMPARE(findPair(model, u"open"_s)->keyType, u"ecdsa-sha2-nistp521"_s);

    const QString locked = dir.filePath(u"locked"_s);
    QProcess check;
    check.start(keygen, {u"-y"_s, u"-P"_s, passphrase, u"-f"_s, locked});
    QVERIFY(check.waitForFinished());
    QCOMPARE(check.exitCode(), 0);
    QVERIFY(check.readAllStandardOutput().trimmed().endsWith("me@box"));
    check.start(keygen, {u"-y"_s, u"-P"_s, u"wrong"_s, u"-f"_s, locked});
    QVERIFY(check.waitForFinished());
    QVERIFY(check.exitCode() != 0);
}

void TestKeysModel::generateOverwritesAnExistingPair()
{
    QTemporaryDir dir;
    makeKey(dir.filePath(u"id_ed25519"_s), u"ed25519"_s, u"old"_s);
    const QByteArray before = readFile(dir.filePath(u"id_ed25519.pub"_s));
    SSHKeysModel model(dir.path(), keygen);
    QSignalSpy finished(&model, &SSHKeysModel::generationFinished);
    model.generateKey({KeyType::ed25519, u"id_ed25519"_s, u"new"_s, {}, false});
    QVERIFY(finished.wait());
    QVERIFY2(!model.errorMessage(), qPrintable(model.errorMessage().value_or(QString())));
    QVERIFY(readFile(dir.filePath(u"id_ed25519.pub"_s)) != before);
    QCOMPARE(model.keyPairs().size(), 1);
    QCOMPARE(model.keyPairs().first().comment, u"new"_s);
    QCOMPARE(model.statusMessage(), u"Generated: id_ed25519"_s);
}

void TestKeysModel::copyPutsTheKeyOnTheClipboardOnce()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"k"_s), "private");
    writeFile(dir.filePath(u"k.pub"_s), "ssh-ed25519 AAAAkey me\n\n");
    SSHKeysModel model(dir.path(), keygen);
    model.load();
    QGuiApplication::clipboard()->setText(u"stale"_s);
    model.copyPublicKey(model.keyPairs().first());
    model.copyPublicKey(model.keyPairs().first());
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAkey me"_s);
    QCOMPARE(model.statusMessage(), u"Public key copied to clipboard"_s);
}

QTEST_MAIN(TestKeysModel)
#include "TestKeysModel.moc"
