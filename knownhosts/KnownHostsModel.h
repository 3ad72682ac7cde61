#pragma once

#include "core/StatusModel.h"
#include "knownhosts/KnownHostEntry.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The user's known_hosts file: reads its usable lines and removes chosen ones by rewriting the
// file without them. It never adds or edits entries.
class KnownHostsModel final : public StatusModel
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
    QString filePath() const
    {
        return m_filePath;
    }
    // Every line of the file as loaded, unusable ones included; entries index into it.
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

private:
    QList<KnownHostEntry> m_entries;
    QString m_filePath;
    QStringList m_allLines;
};
