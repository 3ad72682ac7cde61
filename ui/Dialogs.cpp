#include "ui/Dialogs.h"

#include "ui/Mnemonic.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>

#include <deque>

namespace {
    struct Seams {
        bool testMode = false;
        std::deque<QString> answers;
        std::deque<QString> fileNames;
        QList<Dialogs::Asked> asked;
    };

    Seams &seams()
    {
        static Seams s;
        return s;
    }

    template <typename T>
    std::optional<T> takeFront(std::deque<T> &queue)
    {
        if (queue.empty())
            return std::nullopt;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    void record(const QString &title,
                const QString &text,
                const QList<Dialogs::Choice> &choices,
                int defaultChoice = -1,
                int escapeChoice = -1)
    {
        if (!seams().testMode)
            return;
        QStringList buttons;
        for (const auto &choice : choices)
            buttons << choice.text;
        seams().asked.append({title, text, buttons, defaultChoice, escapeChoice});
    }

    struct KeyChoices {
        int onReturn = -1;
        int onEscape = -1;
    };

    // Enter next to a destructive button is too easy to press by mistake, so only a harmless choice
    // may be the default, and the reject choice is when the caller names none.
    KeyChoices keyChoices(const QList<Dialogs::Choice> &choices, int defaultChoice)
    {
        KeyChoices keys;
        for (qsizetype i = 0; i < choices.size() && keys.onEscape < 0; ++i) {
            if (choices.at(i).role == QMessageBox::RejectRole)
                keys.onEscape = int(i);
        }
        const bool harmless = defaultChoice >= 0 && defaultChoice < choices.size()
                              && choices.at(defaultChoice).role != QMessageBox::DestructiveRole;
        keys.onReturn = harmless ? defaultChoice : keys.onEscape;
        return keys;
    }
} // namespace

namespace Dialogs {
    int ask(QWidget *parent,
            const QString &title,
            const QString &text,
            const QList<Choice> &choices,
            QMessageBox::Icon icon,
            int defaultChoice)
    {
        const KeyChoices keys = keyChoices(choices, defaultChoice);
        record(title, text, choices, keys.onReturn, keys.onEscape);
        if (auto answer = takeFront(seams().answers)) {
            for (qsizetype i = 0; i < choices.size(); ++i) {
                if (choices.at(i).text == *answer)
                    return int(i);
            }
            return -1;
        }
        if (seams().testMode)
            return -1;

        QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
        box.setObjectName(QStringLiteral("questionBox"));
        // Names of hosts, keys and files go into the text; none of them is markup.
        box.setTextFormat(Qt::PlainText);
        // After the modality, which gives a message box new window flags.
        box.setWindowModality(Qt::WindowModal);
        useDialogFrame(&box);
        QList<QAbstractButton *> buttons;
        for (const auto &choice : choices)
            buttons << box.addButton(Mnemonic::escaped(choice.text), choice.role);
        if (keys.onReturn >= 0)
            box.setDefaultButton(qobject_cast<QPushButton *>(buttons.at(keys.onReturn)));
        if (keys.onEscape >= 0)
            box.setEscapeButton(buttons.at(keys.onEscape));
        box.exec();
        return int(buttons.indexOf(box.clickedButton()));
    }

    void showError(QWidget *parent, const QString &message, std::function<void()> onDismissed)
    {
        auto *box =
            new QMessageBox(QMessageBox::Critical, QObject::tr("Error"), message, QMessageBox::NoButton, parent);
        box->setObjectName(QStringLiteral("errorAlert"));
        box->setTextFormat(Qt::PlainText);
        box->addButton(Mnemonic::escaped(QObject::tr("OK")), QMessageBox::AcceptRole);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        useDialogFrame(box);
        QObject::connect(box, &QMessageBox::finished, box, [onDismissed = std::move(onDismissed)] {
            if (onDismissed)
                onDismissed();
        });
        box->open();
    }

    std::optional<QString> chooseFile(QFileDialog *dialog)
    {
        if (auto queued = takeFront(seams().fileNames))
            return queued->isEmpty() ? std::nullopt : std::optional<QString>(*queued);
        if (seams().testMode)
            return std::nullopt;
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        return dialog->selectedFiles().constFirst();
    }

    void useDialogFrame(QWidget *window)
    {
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowMinMaxButtonsHint) | Qt::CustomizeWindowHint
                               | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    }

    void setNextAnswer(const QString &buttonText)
    {
        seams().answers.push_back(buttonText);
    }
    void setNextFileName(const QString &path)
    {
        seams().fileNames.push_back(path);
    }
    void setTestMode(bool on)
    {
        seams().testMode = on;
    }
    void reset()
    {
        seams() = Seams();
    }
    QList<Asked> &asked()
    {
        return seams().asked;
    }
} // namespace Dialogs
