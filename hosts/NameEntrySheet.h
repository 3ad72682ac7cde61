#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The shared layout of the two small sheets that ask for one name: title, labelled field,
// explanation, and "Cancel" / confirm buttons. Return confirms, Escape cancels. Subclasses
// decide when the typed name is acceptable.
class NameEntrySheet : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameEntrySheet)
public:
    using Completion = std::function<void(const QString &)>;

    QLineEdit *field() const
    {
        return m_field;
    }
    QPushButton *confirmButton() const
    {
        return m_confirm;
    }
    // The typed text without blanks at either end.
    QString trimmedName() const;
    // Confirms when the name is acceptable: hands it on to confirmName().
    void submit();

protected:
    struct Texts {
        QString title, fieldLabel, placeholder, explanation, confirm;
    };
    NameEntrySheet(const Texts &texts, const QString &startName, Completion onAdd, QWidget *parent);

    virtual bool isAcceptable(const QString &trimmed) const = 0;
    // Called on every change of the field, after the confirm button's state is updated.
    virtual void nameChanged(const QString &)
    {}
    // An acceptable name was confirmed; by default it goes to the completion and the sheet closes.
    virtual void confirmName(const QString &trimmed)
    {
        finish(trimmed);
    }
    void finish(const QString &trimmed);
    // Lets a subclass put a widget below the field (the duplicate message).
    void addBelowField(QWidget *widget);
    void refresh();

private:
    QLineEdit *m_field;
    QPushButton *m_confirm;
    QVBoxLayout *m_fieldGroup;
    Completion m_onAdd;
};
