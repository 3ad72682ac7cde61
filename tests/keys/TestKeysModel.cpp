#include "keys/KeyEditor.h"
#include "keys/SSHKeysModel.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace TestSupport;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    void makeKey(const QString &path, const QString &comment, const QString &passphrase = {})
    {
        const ProcessResult r =
            ProcessRunner::run(keygen,
                               {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-f"_s, path, u"-C"_s, comment, u"-N"_s, passphrase});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output + r.failure));
    }

    // The public key the private one gives with this passphrase; empty when it does not open.
    QString opensWith(const QString &path, const QString &passphrase)
    {
        const ProcessResult r = ProcessRunner::run(keygen, {u"-y"_s, u"-P"_s, passphrase, u"-f"_s, path});
        return r.exitCode == 0 ? r.output.trimmed() : QString();
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

    // The error one asynchronous call leaves, "(none)" without one.
    template <typename Model>
    QString outcome(Model &model, auto finished, const std::function<void()> &call)
    {
        QSignalSpy done(&model, finished);
        model.setErrorMessage(std::nullopt);
        call();
        return done.wait() ? model.errorMessage().value_or(u"(none)"_s) : u"(timeout)"_s;
    }
} // namespace

class TestKeysModel final : public QObject
{
    Q_OBJECT
private slots:
    void scanAndDelete();
    void hangingFingerprintRunsTimeOut();
    void generateRunsTheTool_data();
    void generateRunsTheTool();
    void generatedKeysOpenAndOverwrite();
    void editorChangesPassphraseAndComment();
};

void TestKeysModel::scanAndDelete()
{
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh/"_s);
    for (const char *name : {"id_ed25519", "Work", "three", "empty", "\xc3\xa4hm", "upper", "binary"})
        writeFile(ssh + QString::fromUtf8(name), "private");
    writeFile(ssh + u"id_ed25519.pub"_s, "ssh-ed25519 AAAA me@host\n");
    writeFile(ssh + u"Work.pub"_s, "ssh-rsa  AAAAdata word\n"); // two blanks: the key data joins the comment
    writeFile(ssh + u"three.pub"_s, "\t ecdsa-sha2-nistp256 AAAA one two three \r\n");
    writeFile(ssh + u"empty.pub"_s, "");
    writeFile(ssh + u"\u00e4hm.pub"_s, "ssh-ed25519 AAAA");
    writeFile(ssh + u"binary.pub"_s, "ssh-ed25519 AAAA cut\xe2\x82"); // ends inside a UTF-8 sequence
    writeFile(ssh + u"upper.PUB"_s, "ssh-ed25519 AAAA upper");
    writeFile(ssh + u"lone.pub"_s, "ssh-ed25519 AAAA lone");
    writeFile(ssh + u".pub"_s, "ssh-ed25519 AAAA dotfile");
    writeScript(dir.filePath(u"tool"_s), "echo 'something went wrong'\nexit 3\n");

    SSHKeysModel model(ssh.chopped(1), dir.filePath(u"tool"_s));
    QVERIFY(load(model));
    QCOMPARE(pairs(model),
             u"Work|ssh-rsa|AAAAdata word; empty||; id_ed25519|ssh-ed25519|me@host; "
             "three|ecdsa-sha2-nistp256|one two three; \u00e4hm|ssh-ed25519|"_s);
    QCOMPARE(model.keyPairs().at(3).publicKeyContent, u"ecdsa-sha2-nistp256 AAAA one two three"_s);
    QCOMPARE(model.keyPairs().at(3).fingerprint, u"Unable to read fingerprint"_s); // not the tool's words

    // The public file went by hand: the private one still goes, and the pair leaves the list at
    // once, before the rescan.
    QFile::remove(ssh + u"Work.pub"_s);
    QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
    model.deleteKeyPair(model.keyPairs().first());
    QVERIFY(!QFileInfo::exists(ssh + u"Work"_s));
    QCOMPARE(model.keyPairs().size(), 4);
    QTRY_COMPARE(changed.size(), 2);
    QVERIFY(!model.errorMessage());

    // Once the directory is gone the list stays as it was.
    QVERIFY(QDir().rename(ssh.chopped(1), dir.filePath(u"moved"_s)));
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read ~/.ssh/"_s);
    QCOMPARE(model.keyPairs().size(), 4);
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
    const QString pub = dir.filePath(u"id_ed25519.pub"_s);
    QCOMPARE(model.keyPairs().at(0).fingerprint, ProcessRunner::run(keygen, {u"-l"_s, u"-f"_s, pub}).output.trimmed());
    QCOMPARE(model.keyPairs().at(1).fingerprint, u"Unable to read fingerprint"_s);

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

void TestKeysModel::generateRunsTheTool_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<KeyGenOptions>("options");
    QTest::addColumn<QString>("error"); // a part of it
    QTest::addColumn<QString>("arguments");
    // Records its arguments, and what the passphrase helper answers, then succeeds.
    const QByteArray recorder =
        R"([ "$1" = -y ] && exit 1; exec >"$0.log"; printf '[%s]' "$@")"
        R"(; [ -n "$SSH_ASKPASS" ] && echo "[askpass=$SSH_ASKPASS_REQUIRE:$("$SSH_ASKPASS" x)]"; exit 0)";
    QTest::newRow("switched-off passphrase")
        << recorder << KeyGenOptions{KeyType::ed25519, u"id_ed25519"_s, {}, u"ignored"_s, false} << u"(none)"_s
        << u"[-t][ed25519][-f][%1/id_ed25519][-C][][-N][]"_s;
    QTest::newRow("rsa, name as typed") << recorder << KeyGenOptions{KeyType::rsa, u" spaced"_s, u"me"_s, {}, true}
                                        << u"(none)"_s << u"[-t][rsa][-b][4096][-f][%1/ spaced][-C][me][-N][]"_s;
    // The passphrase goes through the helper, never as an argument.
    QTest::newRow("passphrase") << recorder
                                << KeyGenOptions{KeyType::ecdsa, u"sub/k"_s, u"a comment"_s, u"s3cret pass"_s, true}
                                << u"(none)"_s
                                << u"[-t][ecdsa][-b][521][-f][%1/sub/k][-C][a comment][askpass=force:s3cret pass]\n"_s;
    QTest::newRow("exit code") << "exit 4\n"_ba << KeyGenOptions{} << u"ssh-keygen failed (exit 4)"_s << QString();
    QTest::newRow("tool's words") << "echo 'Saving key failed: Permission denied'\nexit 1\n"_ba << KeyGenOptions{}
                                  << u"Saving key failed: Permission denied"_s << QString();
    // A tool that ignores the passphrase helper and saves an open key is not a success.
    QTest::newRow("open key") << "exit 0\n"_ba << KeyGenOptions{KeyType::ed25519, u"k2"_s, {}, u"secret"_s, true}
                              << u"without its passphrase"_s << QString();
    QTest::newRow("hangs") << "exec sleep 30\n"_ba << KeyGenOptions{} << u"tool did not finish within 1 second"_s
                           << QString();
    QTest::newRow("missing") << QByteArray() << KeyGenOptions{} << u"No such file"_s << QString();
}

void TestKeysModel::generateRunsTheTool()
{
    QFETCH(QByteArray, tool);
    QFETCH(KeyGenOptions, options);
    QFETCH(QString, error);
    QFETCH(QString, arguments);
    QTemporaryDir dir;
    const QString ssh = dir.filePath(u"ssh"_s), path = dir.filePath(u"tool"_s);
    QDir().mkpath(ssh);
    if (!tool.isNull())
        writeScript(path, tool);
    SSHKeysModel model(ssh, path);
    model.setGenerationTimeout(qstrcmp(QTest::currentDataTag(), "hangs") == 0 ? 300 : 60000);
    const QString got = outcome(model, &SSHKeysModel::generationFinished, [&] {
        model.generateKey(options);
    });
    QVERIFY2(got.contains(error), qPrintable(got));
    if (!arguments.isEmpty()) {
        QCOMPARE(QString::fromUtf8(readFile(path + u".log"_s)), arguments.arg(ssh));
        QCOMPARE(model.statusMessage(), u"Generated: "_s + options.filename);
    }
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

    model.generateKey({KeyType::ecdsa, u"open"_s, {}, {}, false});
    QVERIFY(finished.wait());
    QVERIFY2(!model.errorMessage(), qPrintable(model.errorMessage().value_or(QString())));
    // The old pair was kept beside the new one, bits and bytes, under one suffix; the status names it.
    const QStringList kept = ssh.entryList({u"open.bak.*"_s});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(kept.first().endsWith(u"-2"_s), qPrintable(kept.first()));
    QCOMPARE(model.statusMessage(), u"Generated: open \u2014 the old pair is kept as "_s + kept.first());
    const QString keptPublic = QString(kept.first()).replace(u".bak."_s, u".pub.bak."_s);
    QCOMPARE(readFile(ssh.filePath(kept.first())), oldPrivate);
    QCOMPARE(readFile(ssh.filePath(keptPublic)), before);
    QCOMPARE(modeOf(ssh.filePath(kept.first())), 0600);
    QCOMPARE(modeOf(ssh.filePath(keptPublic)), 0640);
    QCOMPARE(ssh.entryList({u"open.pub.bak.*"_s}).size(), 4);

    // Two at once: each reports on its own, and the flag stays up until both are done.
    model.generateKey({KeyType::ed25519, u"locked"_s, u"me@box"_s, passphrase, true});
    model.generateKey({KeyType::ed25519, u"other"_s, {}, {}, false});
    QVERIFY(finished.wait());
    if (finished.size() < 3)
        QVERIFY(model.isGenerating());
    QTRY_COMPARE(finished.size(), 3);
    QVERIFY(!model.isGenerating() && !model.errorMessage());
    QCOMPARE(pairs(model), u"locked|ssh-ed25519|me@box; open|ecdsa-sha2-nistp521|; other|ssh-ed25519|"_s);
    QVERIFY(opensWith(dir.filePath(u"locked"_s), passphrase).endsWith(u"me@box"_s));
    QVERIFY(opensWith(dir.filePath(u"locked"_s), u"wrong"_s).isEmpty());
}

void TestKeysModel::editorChangesPassphraseAndComment()
{
    QTemporaryDir dir;
    const SSHKeyPair pair{{}, u"k"_s, dir.filePath(u"k"_s), dir.filePath(u"k.pub"_s), {}, {}, {}, {}};
    makeKey(pair.privateURL, u"old"_s, u"old"_s);
    KeyEditor editor(keygen);
    const auto change = [&](KeyEditor &with, const QString &from, const QString &to) {
        return outcome(with, &KeyEditor::finished, [&] {
            with.changePassphrase(pair, from, to);
        });
    };
    const QString wrong = u"The passphrase for k is wrong; the key was not changed."_s;
    const QString tricky = u"n\u00e9w pass 'quoted' $HOME"_s;
    // old, new; the error; the passphrase the key opens with afterwards. A failure leaves the file.
    const QList<std::tuple<QString, QString, QString, QString>> steps{
        {u"wrong"_s, u"new"_s, wrong, u"old"_s},
        {{}, u"new"_s, wrong, u"old"_s},
        {u"old"_s, tricky, u"(none)"_s, tricky},
        {tricky, {}, u"(none)"_s, {}},
        {{}, u"again"_s, u"(none)"_s, u"again"_s},
    };
    for (const auto &[from, to, error, opens] : steps) {
        const QByteArray before = readFile(pair.privateURL);
        QCOMPARE(change(editor, from, to), error);
        QVERIFY2(!opensWith(pair.privateURL, opens).isEmpty(), qPrintable(opens));
        QCOMPARE(readFile(pair.privateURL) == before, error != "(none)"_L1);
    }

    // The comment needs the passphrase too; both halves get the new one.
    const auto comment = [&](const QString &passphrase) {
        return outcome(editor, &KeyEditor::finished, [&] {
            editor.changeComment(pair, u"new one"_s, passphrase);
        });
    };
    const QByteArray before = readFile(pair.publicURL);
    QCOMPARE(comment(u"bad"_s), wrong);
    QCOMPARE(readFile(pair.publicURL), before);
    QCOMPARE(comment(u"again"_s), u"(none)"_s);
    QVERIFY(readFile(pair.publicURL).trimmed().endsWith(" new one"));
    QVERIFY(opensWith(pair.privateURL, u"again"_s).endsWith(u"new one"_s));

    // A key tool that never asks for the new passphrase leaves the key open: not a success.
    const QString fake = dir.filePath(u"fake-keygen"_s);
    writeScript(fake, "exit 0\n");
    KeyEditor fooled(fake);
    QVERIFY(change(fooled, {}, u"secret"_s).contains(u"without a passphrase"_s));
}

QTEST_GUILESS_MAIN(TestKeysModel)
#include "TestKeysModel.moc"
