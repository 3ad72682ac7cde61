#include "FaultSupport.h"
#include "core/ProcessRunner.h"
#include "scripts/BinScriptsModel.h"
#include "scripts/FakeRunner.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using FaultSupport::entries;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // Runs the command as this user (root in CI), so the elevated path really copies and removes.
    struct ShellRunner final : PrivilegedRunner {
        void runElevated(const QString &command, std::function<void(std::optional<QString>)> done) override
        {
            auto *sh = new ProcessRunner;
            QObject::connect(sh, &ProcessRunner::finished, sh, [sh, done](const ProcessResult &result) {
                sh->deleteLater();
                done(result.exitCode == 0 ? std::nullopt
                                          : std::optional(u"Elevated command failed (exit %1)"_s.arg(result.exitCode)));
            });
            sh->start(u"/bin/sh"_s, {u"-c"_s, command});
        }
    };

    const QByteArray oldScript = "#!/bin/sh\necho old\n";
    const QString elevatedFailed = u"Elevated command failed (exit 1)"_s;
} // namespace

class TestScriptsFaults : public QObject
{
    Q_OBJECT
private slots:
    void failedChangesKeepTheScript();
};

void TestScriptsFaults::failedChangesKeepTheScript()
{
    // The temporary copies of the elevated path go here, so the test sees any left behind.
    QTemporaryDir tmp;
    const QString bin = tmp.filePath(u"bin"_s), temps = tmp.filePath(u"tmp"_s);
    QDir().mkpath(temps);
    qputenv("TMPDIR", QFile::encodeName(temps));
    writeFile(bin + u"/tool"_s, oldScript);
    BinScriptsModel model(bin, std::make_shared<ShellRunner>());
    QSignalSpy finished(&model, &BinScriptsModel::operationFinished);
    model.load();
    const ScriptFile tool = model.scripts().at(0);
    // The error the next operation left; its outcome when it left none.
    const auto error = [&] {
        const QString outcome = ended(finished);
        const QString text = model.errorMessage().value_or(outcome);
        model.setErrorMessage(std::nullopt);
        return text;
    };
    { // Neither the plain write nor the copy fits under a file size limit: nothing may be cut short.
        {
            FaultSupport::FileSizeLimit limit(4096);
            model.save(tool, QString(20000, u'x'));
        }
        QCOMPARE(error(), u"Save failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        QCOMPARE(entries(bin), QStringList{u"tool"_s});
    }
    { // A folder took the script's place after the scan; a copy would land inside it.
        QFile::remove(tool.url);
        QDir().mkpath(tool.url);
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(error(), u"Save failed: %1 is a directory"_s.arg(tool.url));
        QCOMPARE(entries(tool.url), QStringList());
        QDir().rmdir(tool.url);
        writeFile(tool.url, oldScript);
    }
    QCOMPARE(entries(temps), QStringList());
    { // The scripts folder takes no changes, nor the script itself, not even from root.
        FaultSupport::Immutable frozenScript(tool.url);
        if (!frozenScript.active)
            QSKIP("chattr +i is not available here");
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(error(), u"Save failed: "_s + elevatedFailed);
        FaultSupport::Immutable frozenFolder(bin);
        model.deleteScript(tool);
        QCOMPARE(error(), u"Delete failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        QCOMPARE(entries(temps), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestScriptsFaults)
#include "TestScriptsFaults.moc"
