#pragma once

#include "core/StatusModel.h"
#include "knownhosts/KnownHostEntry.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

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
    // Every line of the file as loaded, unusable ones included; entries index into it. Made when
    // asked for: the model keeps the file's bytes only.
    QStringList allLines() const;

    void load();
    void removeEntries(const QSet<QUuid> &ids);

    // Positions in entries() of the lines `ssh-keygen -F name` prints, in file order.
    QList<qsizetype> find(const QString &name) const;
    // The entries `ssh-keygen -R name` removes for any of the names: those -F finds, but for
    // @cert-authority and @revoked lines, which it keeps.
    QSet<QUuid> removableFor(const QStringList &names) const;
    // True once loaded while the file still has the size, time and identity it had then.
    bool isCurrent() const;

    // The host shown for a hashed line.
    static QString hashedHostText();

signals:
    void entriesChanged();

private:
    struct Stamp {
        qint64 size = -1;
        qint64 modified = 0; // nanoseconds
        quint64 inode = 0;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    static Stamp stampOf(const QString &path);
    std::optional<QByteArray> readAgain() const;
    // Makes the entries of a file's bytes; false when they are not UTF-8.
    bool adopt(QByteArray bytes);

    QList<KnownHostEntry> m_entries;
    QString m_filePath;
    QByteArray m_bytes; // the file as last loaded
    std::optional<Stamp> m_stamp;
};
