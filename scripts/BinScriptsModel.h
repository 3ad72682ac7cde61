#pragma once

#include "scripts/PrivilegedRunner.h"
#include "scripts/ScriptFile.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// The files in the scripts directory, and the three writes that may need administrator rights.
// Each write tries the plain way as the user first and goes through the runner only when that fails.
class BinScriptsModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BinScriptsModel)
public:
    explicit BinScriptsModel(QObject *parent = nullptr);
    BinScriptsModel(const QString &binDir, std::shared_ptr<PrivilegedRunner> runner, QObject *parent = nullptr);

    const QList<ScriptFile> &scripts() const
    {
        return m_scripts;
    }
    QString statusMessage() const
    {
        return m_statusMessage;
    }
    std::optional<QString> errorMessage() const
    {
        return m_errorMessage;
    }
    QString binDir() const
    {
        return m_binDir;
    }
    void setErrorMessage(std::optional<QString> message);

    void load();
    void save(const ScriptFile &script, const QString &content);
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
    void statusMessageChanged();
    void errorMessageChanged();

private:
    void setStatusMessage(const QString &message);
    bool directSave(const QString &path, const QByteArray &content);
    QString tempFile(const QByteArray &content);
    // The shared tail of save and create: nullopt when the file now holds the content.
    std::optional<QString> writeScript(const QString &target, const QByteArray &content);

    QString m_binDir;
    std::shared_ptr<PrivilegedRunner> m_runner;
    QList<ScriptFile> m_scripts;
    QString m_statusMessage;
    std::optional<QString> m_errorMessage;
};
