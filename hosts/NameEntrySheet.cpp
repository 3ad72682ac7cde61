#include "hosts/NameEntrySheet.h"

#include "core/TextRules.h"
#include "ui/Dialogs.h"
#include "ui/Mnemonic.h"
#include "ui/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

NameEntrySheet::NameEntrySheet(const Texts &texts, const QString &startName, Completion onAdd, QWidget *parent)
    : QDialog(parent)
    , m_field(new QLineEdit(this))
    , m_confirm(new QPushButton(Mnemonic::escaped(texts.confirm), this))
    , m_fieldGroup(new QVBoxLayout)
    , m_onAdd(std::move(onAdd))
{
    Dialogs::useDialogFrame(this);
    setWindowTitle(texts.title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *title = new QLabel(texts.title, this);
    title->setObjectName(u"titleLabel"_s);
    title->setFont(Style::titleFont());
    layout->addWidget(title);

    m_fieldGroup->setSpacing(6);
    auto *label = new QLabel(Mnemonic::escaped(texts.fieldLabel), this);
    label->setFont(Style::labelFont());
    Style::setTextColor(label, Style::Tone::Secondary);
    label->setBuddy(m_field);
    m_field->setObjectName(u"nameEdit"_s);
    m_field->setPlaceholderText(texts.placeholder);
    m_field->setFixedWidth(320);
    m_field->setText(startName);
    m_field->selectAll();
    m_fieldGroup->addWidget(label);
    m_fieldGroup->addWidget(m_field);
    layout->addLayout(m_fieldGroup);

    auto *explanation = new QLabel(texts.explanation, this);
    explanation->setObjectName(u"explanationLabel"_s);
    explanation->setFont(Style::captionFont());
    Style::setTextColor(explanation, Style::Tone::Secondary);
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(332);
    explanation->setMaximumWidth(420);
    layout->addWidget(explanation);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(Mnemonic::escaped(tr("Cancel")), this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    m_confirm->setObjectName(u"confirmButton"_s);
    m_confirm->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, this, &NameEntrySheet::submit);
    connect(m_field, &QLineEdit::textChanged, this, &NameEntrySheet::refresh);
    setMinimumWidth(380);
}

void NameEntrySheet::addBelowField(QWidget *widget)
{
    m_fieldGroup->addWidget(widget);
}

QString NameEntrySheet::trimmedName() const
{
    return TextRules::trimmed(m_field->text());
}

void NameEntrySheet::refresh()
{
    const QString name = trimmedName();
    m_confirm->setEnabled(isAcceptable(name));
    nameChanged(name);
}

void NameEntrySheet::submit()
{
    const QString name = trimmedName();
    if (isAcceptable(name))
        confirmName(name);
}

void NameEntrySheet::finish(const QString &trimmed)
{
    if (m_onAdd)
        m_onAdd(trimmed);
    accept();
}
