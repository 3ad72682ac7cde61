#pragma once

#include "core/StatusModel.h"
#include "engine/HostBlock.h"
#include "engine/SSHCheck.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

// The host blocks of one client configuration file, with a dirty flag, status and error texts.
class SSHConfigModel final : public StatusModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHConfigModel)
public:
    explicit SSHConfigModel(QObject *parent = nullptr); // ~/.ssh/config
    explicit SSHConfigModel(const QString &configPath, QObject *parent = nullptr);
    ~SSHConfigModel() override;

    const QList<HostBlock> &blocks() const;
    bool isDirty() const;
    QString configURL() const;

    void load();
    void save();
    std::optional<QUuid> addBlock(const QString &pattern);
    void removeBlock(const QUuid &id);
    std::optional<QUuid> duplicateBlock(const QUuid &id);
    // The host editor's in-place edits:
    void setPattern(const QUuid &id, const QString &pattern); // stored untrimmed, sets isDirty
    // The first line of `key` (ASCII case ignored, as ssh matches it): its value rewritten in place,
    // the line removed when the trimmed value is empty, a new line in the block when there is none.
    void setOption(const QUuid &id, const QString &key, const QString &value);
    // Every line of `key`: the values in order, each trimmed; empty ones dropped.
    void setOptionValues(const QUuid &id, const QString &key, const QStringList &values);

    // The file on disk differs from what was last loaded or saved (another program wrote it).
    // Checked now: size, time and content.
    bool isChangedOnDisk() const;
    // True while an outside change waits for the user: the file changed on disk while there were
    // unsaved edits. Without unsaved edits the model reloads by itself instead.
    bool hasOutsideChange() const;
    // Keep the edits: the bar goes away; a later save still finds the change on disk.
    void keepMine();

    // The file as it will be written: the text as read, with only the edited lines changed.
    QByteArray text() const;

    // Whether an IgnoreUnknown line that ssh reads before the block's `name` line lists it, so an
    // option this ssh does not know (UseKeychain) does not stop it reading the file.
    bool ignoresUnknown(const QUuid &id, const QString &name) const;

    // After each save ssh reads the file (`ssh -G`, nothing connects) unless the file or one it
    // includes has a Match exec line, whose commands must not run. An empty path turns it off.
    void setSshPath(const QString &path);
    // What ssh said about the last saved file, if it refused it; the option or Host line it names.
    std::optional<SSHRejection> sshRejection() const;
    struct RejectedLine {
        QUuid block;
        QString option; // empty for the Host line
    };
    std::optional<RejectedLine> rejectedLine() const;

signals:
    // The list itself changed: loaded, a block added, removed or duplicated.
    void blocksChanged();
    // One block was edited in place (setPattern, setOption); the list's order and ids are unchanged.
    void blockChanged(const QUuid &id);
    void isDirtyChanged();
    void hasOutsideChangeChanged();
    // Around a reload the model did by itself after an outside change, so a view can keep its selection.
    void aboutToReloadFromDisk();
    void reloadedFromDisk();
    void sshRejectionChanged();

private:
    void setDirty(bool dirty);
    void setOutsideChange(bool changed);
    void checkDisk();
    void watch();
    void checkWithSsh(const QString &backup);
    void stopSshCheck();
    void setSshRejection(std::optional<SSHRejection> rejection);

    struct Private;
    std::unique_ptr<Private> d;
};
