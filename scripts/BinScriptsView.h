#pragma once

#include "core/Locations.h"
#include "scripts/BinScriptsModel.h"

#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QListView;
class ScriptListModel;
class QStackedWidget;
class QVBoxLayout;
class StatusLine;

// The scripts pane: the files of the scripts directory on the left, the selected one's details and
// preview on the right. All file work goes through the pane's own BinScriptsModel.
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
        return m_model.get();
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

    void createNewScript();
    void openEditor(const ScriptFile &script);
    void loadPreview(const std::optional<QUuid> &id);

    // Pieces the text falls into when cut at each line break character; an empty text is one piece.
    static int lineCount(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::optional<ScriptFile> selectedScript() const;
    void setSelectedID(const std::optional<QUuid> &id);
    void listReset();
    void showDetail();
    void confirmDelete();
    void showErrorAlert();
    QWidget *scriptDetailPane(const ScriptFile &script);
    QWidget *infoRow(const QString &label, const QString &value, const QString &objectName);
    QWidget *noSelectionPlaceholder();

    // Shared so that an editor window still saves after the pane that opened it is gone.
    std::shared_ptr<BinScriptsModel> m_model;
    std::optional<QUuid> m_selectedID;
    QString m_previewContent;
    int m_previewLines = 0;
    bool m_loaded = false;

    QListView *m_list;
    ScriptListModel *m_listModel;
    StatusLine *m_statusLine;
    QStackedWidget *m_detailStack;
    QWidget *m_detail = nullptr;
};
