#include "FaultSupport.h"
#include "scripts/BinScriptsModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using FaultSupport::entries;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // Runs the command as this user (root in CI), so the elevated path really copies and removes.
    struct ShellRunner final : PrivilegedRunner {
        std::optional<QString> runElevated(const QString &command) override
        {
            QProcess sh;
            sh.start(u"/bin/sh"_s, {u"-c"_s, command});
            sh.waitForFinished(-1);
            if (sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0)
                return std::nullopt;
            return u"Elevated command failed (exit %1)"_s.arg(sh.exitCode());
        }
    };

    const QByteArray oldScript = "#!/bin/sh\necho old\n";
    const QString elevatedFailed = u"Elevated command failed (exit 1)"_s;
} // namespace

class TestScriptsFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void failedChangesKeepTheScript();
    void fifoAndSocketNeverBlock();

private:
    QTemporaryDir m_tmp;
    QString m_bin;
};

void TestScriptsFaults::init()
{
    // The temporary copies of the elevated path go here, so the test sees any left behind.
    QDir(m_tmp.path()).removeRecursively();
    QDir().mkpath(m_tmp.filePath(u"tmp"_s));
    qputenv("TMPDIR", QFile::encodeName(m_tmp.filePath(u"tmp"_s)));
    m_bin = m_tmp.filePath(u"bin"_s);
    writeFile(m_bin + u"/tool"_s, oldScript);
}

void TestScriptsFaults::failedChangesKeepTheScript()
{
    BinScriptsModel model(m_bin, std::make_shared<ShellRunner>());
    model.load();
    const ScriptFile tool = model.scripts().at(0);
    { // Neither the plain write nor the copy fits under a file size limit: nothing may be cut short.
        {
            FaultSupport::FileSizeLimit limit(4096);
            model.save(tool, QString(20000, u'x'));
        }
        QCOMPARE(model.errorMessage(), u"Save failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        model.setErrorMessage(std::nullopt);
        {
            FaultSupport::FileSizeLimit limit(16);
            QVERIFY(!model.create(u"new"_s));
        }
        QCOMPARE(model.errorMessage(), u"Create failed: "_s + elevatedFailed);
        QCOMPARE(entries(m_bin), QStringList{u"tool"_s});
    }
    { // A folder took the script's place after the scan; a copy would land inside it.
        model.setErrorMessage(std::nullopt);
        QFile::remove(tool.url);
        QDir().mkpath(tool.url);
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(model.errorMessage(), u"Save failed: %1 is a directory"_s.arg(tool.url));
        QCOMPARE(entries(tool.url), QStringList());
        QDir().rmdir(tool.url);
        writeFile(tool.url, oldScript);
    }
    QCOMPARE(entries(m_bin), QStringList{u"tool"_s});
    QCOMPARE(entries(m_tmp.filePath(u"tmp"_s)), QStringList());
    { // A non-empty folder under the script's name: neither remove nor rm takes it.
        model.setErrorMessage(std::nullopt);
        QDir().mkpath(m_bin + u"/lib/inner"_s);
        model.load();
        model.deleteScript({QUuid::createUuid(), u"lib"_s, m_bin + u"/lib"_s, false});
        QCOMPARE(model.errorMessage(), u"Delete failed: "_s + elevatedFailed);
        QCOMPARE(model.statusMessage(), u"Found 1 file in /usr/local/bin/"_s);
        QVERIFY(QFileInfo(m_bin + u"/lib/inner"_s).isDir());
    }
    { // The script cannot be replaced, not even by root.
        model.setErrorMessage(std::nullopt);
        FaultSupport::Immutable frozen(tool.url);
        if (!frozen.active)
            QSKIP("chattr +i is not available here");
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(model.errorMessage(), u"Save failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        QCOMPARE(entries(m_tmp.filePath(u"tmp"_s)), QStringList());
    }
    { // The scripts folder takes no changes.
        model.setErrorMessage(std::nullopt);
        FaultSupport::Immutable frozen(m_bin);
        QVERIFY(frozen.active);
        model.deleteScript(model.scripts().at(0));
        QCOMPARE(model.errorMessage(), u"Delete failed: "_s + elevatedFailed);
        QCOMPARE(readFile(m_bin + u"/tool"_s), oldScript);
    }
}

void TestScriptsFaults::fifoAndSocketNeverBlock()
{
    const FaultSupport::HangGuard guard(30);
    const QString fifo = m_bin + u"/fifo"_s;
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0755), 0);
    QVERIFY(FaultSupport::makeSocket(m_bin + u"/socket"_s));
    QVERIFY(QFile::link(fifo, m_bin + u"/fifo-link"_s));
    BinScriptsModel model(m_bin, std::make_shared<ShellRunner>());
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 1 file in /usr/local/bin/"_s);
    QCOMPARE(model.scripts().at(0).name, u"tool"_s);
    QVERIFY(!BinScriptsModel::isTextFile(fifo));
    QVERIFY(!BinScriptsModel::readText(fifo));
    QVERIFY(!BinScriptsModel::readText(m_bin + u"/fifo-link"_s));

    // Saving over a FIFO replaces it rather than writing into it.
    model.save({QUuid::createUuid(), u"fifo"_s, fifo, true}, u"echo hi\n"_s);
    QCOMPARE(model.statusMessage(), u"Saved: fifo"_s);
    QCOMPARE(readFile(fifo), QByteArray("echo hi\n"));
}

QTEST_GUILESS_MAIN(TestScriptsFaults)
#include "TestScriptsFaults.moc"
