#include "keys/KeyEditor.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    // The public key the private one gives with this passphrase ("" for none), empty when it does
    // not open.
    QString opensWith(const QString &key, const QString &passphrase)
    {
        const ProcessResult r = ProcessRunner::run(keygen, {u"-y"_s, u"-P"_s, passphrase, u"-f"_s, key});
        return r.exitCode == 0 ? r.output.trimmed() : QString();
    }

    // The error, or "(none)".
    QString outcome(KeyEditor &editor, const std::function<void()> &change)
    {
        QSignalSpy finished(&editor, &KeyEditor::finished);
        editor.setErrorMessage(std::nullopt);
        change();
        if (!editor.isBusy() || !finished.wait())
            return u"(not run)"_s;
        return editor.errorMessage().value_or(u"(none)"_s);
    }
} // namespace

class TestKeyEditor final : public QObject
{
    Q_OBJECT
private slots:
    void changesThePassphrase();
    void changesTheComment();
};

void TestKeyEditor::changesThePassphrase()
{
    QTemporaryDir dir;
    SSHKeyPair pair;
    pair.name = u"k"_s;
    pair.privateURL = dir.filePath(u"k"_s);
    QCOMPARE(ProcessRunner::run(keygen, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, u"old"_s, u"-f"_s, pair.privateURL})
                 .exitCode,
             0);
    KeyEditor editor(keygen);

    // old, new; the error; the passphrase the key opens with afterwards.
    const QList<std::tuple<QString, QString, QString, QString>> steps{
        {u"wrong"_s, u"new"_s, u"The passphrase for k is wrong; the key was not changed."_s, u"old"_s},
        {{}, u"new"_s, u"The passphrase for k is wrong; the key was not changed."_s, u"old"_s},
        {u"old"_s, u"n\u00e9w pass 'quoted' $HOME"_s, u"(none)"_s, u"n\u00e9w pass 'quoted' $HOME"_s},
        {u"n\u00e9w pass 'quoted' $HOME"_s, {}, u"(none)"_s, {}},
        {{}, u"again"_s, u"(none)"_s, u"again"_s},
    };
    for (const auto &[from, to, error, opens] : steps) {
        const QByteArray before = readFile(pair.privateURL);
        QCOMPARE(outcome(editor,
                         [&] {
                             editor.changePassphrase(pair, from, to);
                         }),
                 error);
        QVERIFY2(!opensWith(pair.privateURL, opens).isEmpty(), qPrintable(opens));
        if (error != "(none)"_L1)
            QCOMPARE(readFile(pair.privateURL), before);
        else
            QCOMPARE(editor.statusMessage(), u"Passphrase changed: k"_s);
    }

    // A key tool that never asks for the new passphrase leaves the key open: not a success.
    const QString fake = dir.filePath(u"fake-keygen"_s);
    TestSupport::writeScript(fake, "exit 0\n");
    KeyEditor fooled(fake);
    QVERIFY(outcome(fooled, [&] {
                fooled.changePassphrase(pair, u"again"_s, u"secret"_s);
            }).contains(u"without a passphrase"_s));
}

void TestKeyEditor::changesTheComment()
{
    QTemporaryDir dir;
    SSHKeyPair pair;
    pair.name = u"k"_s;
    pair.privateURL = dir.filePath(u"k"_s);
    QCOMPARE(ProcessRunner::run(
                 keygen,
                 {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, u"pw"_s, u"-C"_s, u"old"_s, u"-f"_s, pair.privateURL})
                 .exitCode,
             0);
    KeyEditor editor(keygen);
    const QByteArray before = readFile(pair.privateURL + u".pub"_s);
    QCOMPARE(outcome(editor,
                     [&] {
                         editor.changeComment(pair, u"new one"_s, u"bad"_s);
                     }),
             u"The passphrase for k is wrong; the key was not changed."_s);
    QCOMPARE(readFile(pair.privateURL + u".pub"_s), before);

    QCOMPARE(outcome(editor,
                     [&] {
                         editor.changeComment(pair, u"new one"_s, u"pw"_s);
                     }),
             u"(none)"_s);
    QCOMPARE(editor.statusMessage(), u"Comment changed: k"_s);
    QVERIFY(readFile(pair.privateURL + u".pub"_s).trimmed().endsWith(" new one"));
    const ProcessResult listed = ProcessRunner::run(keygen, {u"-l"_s, u"-f"_s, pair.privateURL});
    QVERIFY2(listed.output.contains(u" new one (ED25519)"_s), qPrintable(listed.output));
    QVERIFY(opensWith(pair.privateURL, u"pw"_s).endsWith(u"new one"_s));
}

QTEST_GUILESS_MAIN(TestKeyEditor)
#include "TestKeyEditor.moc"
