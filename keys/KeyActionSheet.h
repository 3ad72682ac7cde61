#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// A small modal sheet for one action on a key pair: a title, a line of explanation, a few fields
// and a confirming button. Return confirms (when allowed), Escape cancels; accepted() follows a
// confirmation, and the caller reads the fields.
class KeyActionSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyActionSheet)
public:
    KeyActionSheet(const QString &objectName,
                   const QString &title,
                   const QString &text,
                   const QString &confirmText,
                   QWidget *parent = nullptr);

    QLineEdit *addLine(const QString &objectName, const QString &label, const QString &value = {});
    QLineEdit *addPassphrase(const QString &objectName, const QString &label);
    QComboBox *addChoice(const QString &objectName, const QString &label, const QStringList &choices);
    // Asked whenever a field changes; the confirming button follows its answer.
    void setCanConfirm(std::function<bool()> check);
    QPushButton *confirmButton() const
    {
        return m_confirm;
    }

private:
    void addField(const QString &label, QWidget *field);
    void refresh();

    QFormLayout *m_form;
    QPushButton *m_cancel;
    QPushButton *m_confirm;
    QWidget *m_lastField = nullptr;
    std::function<bool()> m_canConfirm;
};
