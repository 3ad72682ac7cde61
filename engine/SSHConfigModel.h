#pragma once

#include "engine/HostBlock.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

// The host blocks of one client configuration file, with a dirty flag, status and error texts.
class SSHConfigModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHConfigModel)
public:
    explicit SSHConfigModel(QObject *parent = nullptr); // ~/.ssh/config
    explicit SSHConfigModel(const QString &configPath, QObject *parent = nullptr);
    ~SSHConfigModel() override;

    const QList<HostBlock> &blocks() const;
    bool isDirty() const;
    QString statusMessage() const;
    std::optional<QString> errorMessage() const;
    QString configURL() const;

    void load();
    void save();
    std::optional<QUuid> addBlock(const QString &pattern);
    void removeBlock(const QUuid &id);
    std::optional<QUuid> duplicateBlock(const QUuid &id);
    // the host editor's in-place edits and the alert's reset:
    void setPattern(const QUuid &id, const QString &pattern); // stored untrimmed, sets isDirty
    void setOption(const QUuid &id, const QString &key, const QString &value); // the editor's write rule
    void setErrorMessage(std::optional<QString> message);

signals:
    // The list itself changed: loaded, a block added, removed or duplicated.
    void blocksChanged();
    // One block was edited in place (setPattern, setOption); the list's order and ids are unchanged.
    void blockChanged(const QUuid &id);
    void isDirtyChanged();
    void statusMessageChanged();
    void errorMessageChanged();

private:
    void setDirty(bool dirty);
    void setStatusMessage(const QString &message);
    qsizetype indexOf(const QUuid &id) const;

    struct Private;
    std::unique_ptr<Private> d;
};
