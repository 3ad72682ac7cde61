#pragma once

#include "scripts/ScriptFile.h"

#include <QHash>
#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QPushButton;

// The window in which one script is edited. Saving hands the whole text to onSave and closes the
// window; closing without saving discards the edits without asking.
class ScriptEditorWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptEditorWindow)
public:
    ScriptEditorWindow(const ScriptFile &script, const QString &content, QWidget *parent = nullptr);
    ~ScriptEditorWindow() override;

    std::function<void(const QString &)> onSave;
    std::function<void()> onClose;

    const ScriptFile &script() const
    {
        return m_script;
    }
    bool isDirty() const
    {
        return m_isDirty;
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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void saveAction();
    void textDidChange();

    ScriptFile m_script;
    bool m_isDirty = false;
    bool m_crlf = false;
    QString m_originalContent;
    QPlainTextEdit *m_textView;
    QPushButton *m_saveButton;
};
