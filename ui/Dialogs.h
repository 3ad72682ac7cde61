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
    // dismissed without one (Escape goes to the button with the reject role, as usual).
    // defaultChoice is the index of the button Return presses; -1 leaves it to the style.
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

    // Asks for one line of text; nullopt when cancelled.
    std::optional<QString> getText(QWidget *parent,
                                   const QString &title,
                                   const QString &message,
                                   const QString &placeholder,
                                   const QList<Choice> &choices);

    // Test seams. A queued answer is used by the next call of its kind instead of showing anything.
    void setNextAnswer(const QString &buttonText); // an empty text dismisses
    void setNextFileName(const QString &path); // an empty path cancels
    void setNextText(const std::optional<QString> &text);
    // With test mode on, a question nobody queued an answer for is dismissed rather than shown.
    void setTestMode(bool on);

    struct Asked {
        QString title;
        QString text;
        QStringList buttons;
        int defaultChoice = -1;
    };
    // The questions asked so far (test mode only), oldest first.
    QList<Asked> &asked();
} // namespace Dialogs
