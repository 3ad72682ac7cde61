#pragma once

#include "core/Locations.h"
#include "scripts/BinScriptsModel.h"

#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>

class QListView;
class QPushButton;
class QStackedWidget;
class QToolButton;
class ScriptListModel;
class StatusLine;

// The scripts pane: the files of the scripts directory on the left, the selected one's details and
// preview on the right. The pane lists, creates and deletes through its own BinScriptsModel; each
// editor window saves through one of its own.
class BinScriptsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BinScriptsView)
public:
    explicit BinScriptsView(const Locations &locations, QWidget *parent = nullptr);
    BinScriptsView(const Locations &locations, std::shared_ptr<PrivilegedRunner> runner, QWidget *parent = nullptr);
    ~BinScriptsView() override;

    BinScriptsModel *model() const
    {
        return m_model;
    }
    std::optional<QUuid> selectedID() const
    {
        return m_selectedID;
    }
    QString previewContent() const
    {
        return m_previewContent;
    }
    int previewLines() const
    {
        return m_previewLines;
    }

    // Asks for the new script's name, starting from `typed`; returns at once.
    void createNewScript(const QString &typed = QString());
    void openEditor(const ScriptFile &script);
    void loadPreview(const std::optional<QUuid> &id);

    // Pieces the text falls into when cut at each line break character; an empty text is one piece.
    static int lineCount(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<ScriptFile> selectedScript() const;
    void setSelectedID(const std::optional<QUuid> &id);
    void listReset();
    void showDetail();
    void createScript(const QString &typed);
    void confirmDelete();
    void operationFinished(BinScriptsModel::Operation operation, const ScriptFile &script, bool ok);
    void editorSaved(const ScriptFile &script, const QString &statusMessage);
    void showBusy();
    QWidget *scriptDetailPane(const ScriptFile &script);
    QWidget *infoRow(const QString &label, const QString &value, const QString &objectName);
    QWidget *noSelectionPlaceholder();

    // Shared with the editors, which save through models of their own.
    std::shared_ptr<PrivilegedRunner> m_runner;
    BinScriptsModel *m_model;
    std::optional<QUuid> m_selectedID;
    QString m_previewContent;
    int m_previewLines = 0;
    bool m_loaded = false;

    QListView *m_list;
    ScriptListModel *m_listModel;
    QToolButton *m_newButton = nullptr;
    QPushButton *m_placeholderNewButton = nullptr;
    StatusLine *m_statusLine;
    QStackedWidget *m_detailStack;
    QWidget *m_detail = nullptr;
};
