#pragma once

#include "core/StatusModel.h"
#include "scripts/PrivilegedRunner.h"
#include "scripts/ScriptFile.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// The files in the scripts directory, and the three writes that may need administrator rights.
// Each write tries the plain way as the user first and goes through the runner only when that fails.
// Every save, create and deleteScript ends with one operationFinished: at once when the plain way
// works or the request is refused outright, later when the runner is asked.
class BinScriptsModel final : public StatusModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BinScriptsModel)
public:
    enum class Operation {
        save,
        create,
        remove,
    };
    Q_ENUM(Operation)

    explicit BinScriptsModel(QObject *parent = nullptr);
    BinScriptsModel(const QString &binDir, std::shared_ptr<PrivilegedRunner> runner, QObject *parent = nullptr);
    ~BinScriptsModel() override;

    const QList<ScriptFile> &scripts() const
    {
        return m_scripts;
    }
    QString binDir() const
    {
        return m_binDir;
    }
    // True while an elevated write waits for its answer.
    bool isBusy() const
    {
        return m_pending > 0;
    }

    void load();
    void save(const ScriptFile &script, const QString &content);
    // The file as scanned after a plain write, the file being made while the runner is asked, or
    // nullopt when the name is refused; operationFinished says how it ended.
    std::optional<ScriptFile> create(const QString &name);
    void deleteScript(const ScriptFile &script);

    // The pieces of the elevated command lines.
    static QString shellQuote(const QString &path);
    static QString copyCommand(const QString &tempPath, const QString &target);
    static QString removeCommand(const QString &target);
    static QByteArray scriptTemplate(const QString &name);
    // True when no zero byte is among the first 8,192 bytes. Never blocks on a pipe or device.
    static bool isTextFile(const QString &path);
    // The file as UTF-8 text; nullopt when it cannot be read or is not valid UTF-8.
    static std::optional<QString> readText(const QString &path);

signals:
    void scriptsChanged();
    void busyChanged();
    // For create, the script is the one found by the scan after it was written, when there is one.
    void operationFinished(BinScriptsModel::Operation operation, const ScriptFile &script, bool ok);

private:
    // The shared tail of save and create: as the user, else by copying a temporary file elevated.
    void write(Operation operation, const ScriptFile &script, const QByteArray &content);
    // Runs the command through the runner, then removes the temporary file and finishes.
    void elevate(Operation operation, const ScriptFile &script, const QString &command, const QString &tempPath);
    void finish(Operation operation, ScriptFile script, const std::optional<QString> &failure);

    QString m_binDir;
    std::shared_ptr<PrivilegedRunner> m_runner;
    QList<ScriptFile> m_scripts;
    int m_pending = 0;
};
