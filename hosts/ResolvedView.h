#pragma once

#include "core/Locations.h"
#include "hosts/ConfigSources.h"
#include "hosts/ResolvedOptionsModel.h"
#include "hosts/SidebarItem.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QWidget>

class ProcessRunner;
class QLabel;
class QLineEdit;
class QTableView;
class SSHConfigModel;
struct HostBlock;

// "What ssh uses": a read-only table of every value ssh takes for the selected host and where it
// comes from, with the host's own lines that an earlier section overrides. A wildcard pattern
// resolves an example name the user types. The OpenSSH defaults come from `ssh -G -F /dev/null`,
// asked once per name in the background.
class ResolvedView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResolvedView)
public:
    ResolvedView(SSHConfigModel *model, ConfigSources *sources, const Locations &locations, QWidget *parent = nullptr);

    // A host of the config or of an included file; a new one clears the example name.
    void setItem(const SidebarItem &item);
    ResolvedOptionsModel *tableModel() const
    {
        return m_rows;
    }
    // Works the table out again for the current host; done by itself on changes while shown.
    void refresh();

    // A read-only table of rows in the look both host tables share.
    static QTableView *makeTable(ResolvedOptionsModel *rows, const QString &name, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;

private:
    const HostBlock *currentBlock() const;
    void addOwnOverrides(QList<ResolvedOptionsModel::Row> &rows,
                         const Resolution &resolution,
                         const ConfigSources::Span &own,
                         const HostBlock &block);
    void askDefaults(const QString &name);

    SSHConfigModel *m_model;
    ConfigSources *m_sources;
    Locations m_locations;
    SidebarItem m_item;
    QWidget *m_exampleRow = nullptr;
    QLineEdit *m_example = nullptr;
    QLabel *m_note = nullptr;
    QTableView *m_table = nullptr;
    ResolvedOptionsModel *m_rows = nullptr;
    ProcessRunner *m_runner = nullptr;
    QString m_asking; // the name `ssh -G` runs for
    QHash<QString, QList<QPair<QString, QString>>> m_defaults; // per name: keyword and value
};
