#pragma once

#include "scripts/BinScriptsModel.h"
#include "scripts/ScriptFile.h"

#include <QHash>
#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The window in which one script is edited. It saves through a model of its own, so a save still
// finishes after the pane that opened it is gone. The window closes once the text is written and
// stays open, with the error on a line of its own, when writing failed. Closing it with unsaved
// edits, or while a save waits for administrator rights, asks first.
class ScriptEditorWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptEditorWindow)
public:
    ScriptEditorWindow(const ScriptFile &script,
                       const QString &content,
                       std::shared_ptr<PrivilegedRunner> runner,
                       QWidget *parent = nullptr);
    ~ScriptEditorWindow() override;

    // The script's open editor, or a new one on the file's current text; shown at the front.
    static ScriptEditorWindow *open(const ScriptFile &script, std::shared_ptr<PrivilegedRunner> runner);

    const ScriptFile &script() const
    {
        return m_script;
    }
    bool isDirty() const
    {
        return m_isDirty;
    }
    // True while the save waits for administrator rights.
    bool isSaving() const
    {
        return m_model->isBusy();
    }
    BinScriptsModel *model() const
    {
        return m_model;
    }
    QPlainTextEdit *textView() const
    {
        return m_textView;
    }
    // The text as it would be saved.
    QString text() const;

    // Brings the window to the front with the keyboard focus in the text.
    void showWindow();

    // Every open editor, by the full path of its script. An editor lives exactly as long as its entry:
    // closing the window removes the entry and deletes the editor.
    static QHash<QString, ScriptEditorWindow *> &openScriptEditors();
    static bool anySaveInProgress();
    // Asks whether to quit while a save waits for administrator rights, then whether to save each
    // edited script. True when quitting may go on; every open editor then closes without asking
    // again. A cancelled question or a failed save keeps the application running.
    static bool confirmQuit(QWidget *parent);

signals:
    // The text reached the file; the window closes next.
    void saved(const ScriptFile &script, const QString &statusMessage);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void saveAction();
    void showSaving();
    void saveFinished(BinScriptsModel::Operation operation, const ScriptFile &script, bool ok);
    void showError();
    enum class Answer {
        save,
        discard,
        cancel
    };
    // Whether to save the edits before the window closes or the application quits.
    Answer askToSave(bool quitting);
    // Saves and waits for the outcome, also when administrator rights are asked for.
    static bool saveAndWait(ScriptEditorWindow *editor);

    ScriptFile m_script;
    BinScriptsModel *m_model;
    bool m_isDirty = false;
    bool m_crlf = false;
    // Set once the person chose to quit; cleared again by a later edit.
    bool m_closeWithoutAsking = false;
    QString m_originalContent;
    QPlainTextEdit *m_textView;
    QLabel *m_busyLabel;
    QWidget *m_errorBar;
    QLabel *m_errorLabel;
    QPushButton *m_saveButton;
    QAction *m_saveAction;
};
