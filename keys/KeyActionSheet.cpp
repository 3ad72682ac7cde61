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
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    m_confirm->setObjectName(u"confirmButton"_s);
    m_confirm->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
}

QLineEdit *KeyActionSheet::addLine(const QString &objectName, const QString &label, const QString &value)
{
    auto *field = new QLineEdit(value, this);
    field->setObjectName(objectName);
    m_form->addRow(label, field);
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
    m_form->addRow(label, box);
    connect(box, &QComboBox::currentIndexChanged, this, &KeyActionSheet::refresh);
    return box;
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
