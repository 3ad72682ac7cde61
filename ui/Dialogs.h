#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// Confirmations, alerts, prompts and file pickers, with seams so a test can answer them
// instead of a blocking modal loop.
namespace Dialogs {
    struct Choice {
        QString text;
        QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
    };

    // Shows a modal question. Returns the index of the chosen button, or -1 when the box was
    // dismissed without one. Escape presses the choice with the reject role. Return presses
    // defaultChoice, or the reject choice when defaultChoice is -1 or a destructive one, so a
    // stray Return never destroys anything. Choice texts show as written ("&" is no mnemonic).
    int ask(QWidget *parent,
            const QString &title,
            const QString &text,
            const QList<Choice> &choices,
            QMessageBox::Icon icon = QMessageBox::Warning,
            int defaultChoice = -1);

    // Shows the "Error" alert window-modally and returns at once; onDismissed runs however it closes.
    void showError(QWidget *parent, const QString &message, std::function<void()> onDismissed);

    // Runs a prepared file dialog; the chosen file's path, or nullopt when cancelled.
    std::optional<QString> chooseFile(QFileDialog *dialog);

    // Gives a window the frame of a dialog: a title and a close button, no minimise or maximise.
    void useDialogFrame(QWidget *window);

    // Test seams. A queued answer is used by the next call of its kind instead of showing anything.
    void setNextAnswer(const QString &buttonText); // an empty text dismisses
    void setNextFileName(const QString &path); // an empty path cancels
    // With test mode on, a question nobody queued an answer for is dismissed rather than shown.
    void setTestMode(bool on);
    // Drops every queued answer and the questions asked, and turns test mode off.
    void reset();

    struct Asked {
        QString title;
        QString text;
        QStringList buttons;
        int defaultChoice = -1; // the choices Return and Escape press
        int escapeChoice = -1;
    };
    // The questions asked so far (test mode only), oldest first.
    QList<Asked> &asked();
} // namespace Dialogs
