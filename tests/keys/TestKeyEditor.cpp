#include "keys/KeyEditor.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;
    const QString wrong = u"The passphrase for k is wrong; the key was not changed."_s;

    // A key "k" with the comment "old", protected by `passphrase`.
    SSHKeyPair makeKey(const QTemporaryDir &dir, const QString &passphrase)
    {
        SSHKeyPair pair{{}, u"k"_s, dir.filePath(u"k"_s), dir.filePath(u"k.pub"_s), {}, {}, {}, {}};
        ProcessRunner::run(
            keygen,
            {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, passphrase, u"-C"_s, u"old"_s, u"-f"_s, pair.privateURL});
        return pair;
    }

    // The public key the private one gives with this passphrase ("" for none); empty when it does not open.
    QString opensWith(const SSHKeyPair &pair, const QString &passphrase)
    {
        const ProcessResult r = ProcessRunner::run(keygen, {u"-y"_s, u"-P"_s, passphrase, u"-f"_s, pair.privateURL});
        return r.exitCode == 0 ? r.output.trimmed() : QString();
    }

    // The error after one change, or "(none)".
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
    void changesThePassphraseAndTheComment();
};

void TestKeyEditor::changesThePassphraseAndTheComment()
{
    QTemporaryDir dir;
    const SSHKeyPair pair = makeKey(dir, u"old"_s);
    KeyEditor editor(keygen);
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
        QCOMPARE(outcome(editor,
                         [&] {
                             editor.changePassphrase(pair, from, to);
                         }),
                 error);
        QVERIFY2(!opensWith(pair, opens).isEmpty(), qPrintable(opens));
        QCOMPARE(readFile(pair.privateURL) == before, error != "(none)"_L1);
    }
    QCOMPARE(editor.statusMessage(), u"Passphrase changed: k"_s);

    // The comment needs the passphrase too; both halves get the new one.
    const QByteArray before = readFile(pair.publicURL);
    QCOMPARE(outcome(editor,
                     [&] {
                         editor.changeComment(pair, u"new one"_s, u"bad"_s);
                     }),
             wrong);
    QCOMPARE(readFile(pair.publicURL), before);
    QCOMPARE(outcome(editor,
                     [&] {
                         editor.changeComment(pair, u"new one"_s, u"again"_s);
                     }),
             u"(none)"_s);
    QCOMPARE(editor.statusMessage(), u"Comment changed: k"_s);
    QVERIFY(readFile(pair.publicURL).trimmed().endsWith(" new one"));
    QVERIFY(ProcessRunner::run(keygen, {u"-l"_s, u"-f"_s, pair.privateURL}).output.contains(u" new one (ED25519)"_s));
    QVERIFY(opensWith(pair, u"again"_s).endsWith(u"new one"_s));

    // A key tool that never asks for the new passphrase leaves the key open: not a success.
    const QString fake = dir.filePath(u"fake-keygen"_s);
    TestSupport::writeScript(fake, "exit 0\n");
    KeyEditor fooled(fake);
    QVERIFY(outcome(fooled, [&] {
                fooled.changePassphrase(pair, {}, u"secret"_s);
            }).contains(u"without a passphrase"_s));
}

QTEST_GUILESS_MAIN(TestKeyEditor)
#include "TestKeyEditor.moc"
