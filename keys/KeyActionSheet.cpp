#include "keys/KeyActionSheet.h"

#include "ui/Style.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

KeyActionSheet::KeyActionSheet(const QString &objectName,
                               const QString &title,
                               const QString &text,
                               const QString &confirmText,
                               QWidget *parent)
    : QDialog(parent)
    , m_form(new QFormLayout)
    , m_cancel(new QPushButton(tr("Cancel"), this))
    , m_confirm(new QPushButton(confirmText, this))
{
    setObjectName(objectName);
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setMinimumWidth(440);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    auto *heading = new QLabel(title, this);
    heading->setFont(Style::titleFont());
    layout->addWidget(heading);
    auto *explanation = new QLabel(text, this);
    explanation->setObjectName(u"sheetText"_s);
    explanation->setTextFormat(Qt::PlainText);
    explanation->setWordWrap(true);
    Style::setTextColor(explanation, Style::Tone::Secondary);
    layout->addWidget(explanation);
    layout->addLayout(m_form);
    layout->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel->setObjectName(u"cancelButton"_s);
    m_cancel->setAutoDefault(false);
    m_confirm->setObjectName(u"confirmButton"_s);
    m_confirm->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
}

QLineEdit *KeyActionSheet::addLine(const QString &objectName, const QString &label, const QString &value)
{
    auto *field = new QLineEdit(value, this);
    field->setObjectName(objectName);
    addField(label, field);
    connect(field, &QLineEdit::textChanged, this, &KeyActionSheet::refresh);
    return field;
}

QLineEdit *KeyActionSheet::addPassphrase(const QString &objectName, const QString &label)
{
    QLineEdit *field = addLine(objectName, label);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

QComboBox *KeyActionSheet::addChoice(const QString &objectName, const QString &label, const QStringList &choices)
{
    auto *box = new QComboBox(this);
    box->setObjectName(objectName);
    box->addItems(choices);
    addField(label, box);
    connect(box, &QComboBox::currentIndexChanged, this, &KeyActionSheet::refresh);
    return box;
}

// The buttons are made first, so without this they would come first in the tab order and the
// sheet would open with no field to type in.
void KeyActionSheet::addField(const QString &label, QWidget *field)
{
    m_form->addRow(label, field);
    if (m_lastField)
        setTabOrder(m_lastField, field);
    else
        field->setFocus();
    setTabOrder(field, m_cancel);
    setTabOrder(m_cancel, m_confirm);
    m_lastField = field;
}

void KeyActionSheet::setCanConfirm(std::function<bool()> check)
{
    m_canConfirm = std::move(check);
    refresh();
}

void KeyActionSheet::refresh()
{
    m_confirm->setEnabled(!m_canConfirm || m_canConfirm());
}
