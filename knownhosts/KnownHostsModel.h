#pragma once

#include "knownhosts/KnownHostEntry.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The user's known_hosts file: reads its usable lines and removes chosen ones by rewriting the
// file without them. It never adds or edits entries.
class KnownHostsModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostsModel)
public:
    explicit KnownHostsModel(QObject *parent = nullptr);
    explicit KnownHostsModel(const QString &filePath, QObject *parent = nullptr);

    const QList<KnownHostEntry> &entries() const
    {
        return m_entries;
    }
    QString statusMessage() const
    {
        return m_statusMessage;
    }
    std::optional<QString> errorMessage() const
    {
        return m_errorMessage;
    }
    void setErrorMessage(std::optional<QString> message);
    QString fileURL() const
    {
        return m_fileURL;
    }
    const QStringList &allLines() const
    {
        return m_allLines;
    }

    void load();
    void removeEntries(const QSet<QUuid> &ids);

    // The host shown for a hashed line.
    static QString hashedHostText();

signals:
    void entriesChanged();
    void statusMessageChanged();
    void errorMessageChanged();

private:
    void setStatusMessage(const QString &message);

    QList<KnownHostEntry> m_entries;
    QString m_statusMessage;
    std::optional<QString> m_errorMessage;
    QString m_fileURL;
    QStringList m_allLines;
};
