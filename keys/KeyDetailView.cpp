#include "keys/KeyDetailView.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    QLabel *valueLabel(const QString &objectName, QWidget *parent)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(objectName);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        return label;
    }
} // namespace

KeyDetailView::KeyDetailView(const QString &homeDir, QWidget *parent)
    : QWidget(parent)
    , m_homeDir(homeDir)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    auto *info = new QGroupBox(tr("Key Information"), this);
    auto *infoForm = new QFormLayout(info);
    m_filename = valueLabel(u"filenameValue"_s, info);
    m_type = valueLabel(u"typeValue"_s, info);
    m_comment = valueLabel(u"commentValue"_s, info);
    m_path = valueLabel(u"pathValue"_s, info);
    m_path->setFont(Style::monospaceFont());
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Style::setTextColor(m_path, Style::Tone::Secondary);
    infoForm->addRow(tr("Filename"), m_filename);
    infoForm->addRow(tr("Type"), m_type);
    infoForm->addRow(tr("Comment"), m_comment);
    infoForm->addRow(tr("Path"), m_path);
    layout->addWidget(info);

    auto *printBox = new QGroupBox(tr("Fingerprint"), this);
    auto *printLayout = new QVBoxLayout(printBox);
    m_fingerprint = valueLabel(u"fingerprintValue"_s, printBox);
    QFont mono = Style::monospaceFont();
    mono.setPointSizeF(Style::captionFont().pointSizeF());
    m_fingerprint->setFont(mono);
    m_fingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Style::setTextColor(m_fingerprint, Style::Tone::Secondary);
    printLayout->addWidget(m_fingerprint);
    layout->addWidget(printBox);

    auto *actions = new QGroupBox(tr("Actions"), this);
    auto *actionLayout = new QVBoxLayout(actions);
    m_copy = new QPushButton(actions);
    m_copy->setObjectName(u"copyButton"_s);
    auto *view = new QPushButton(SymbolIcon::icon(u"eye"_s), tr("View Public Key"), actions);
    view->setObjectName(u"viewPublicKeyButton"_s);
    auto *remove =
        new QPushButton(SymbolIcon::icon(u"trash"_s, Style::Tone::Destructive), tr("Delete Key Pair"), actions);
    remove->setObjectName(u"deleteButton"_s);
    Style::setTextColor(remove, Style::Tone::Destructive);
    for (QPushButton *button : {m_copy, view, remove}) {
        button->setAutoDefault(false);
        actionLayout->addWidget(button, 0, Qt::AlignLeft);
    }
    layout->addWidget(actions);
    layout->addStretch(1);

    connect(m_copy, &QPushButton::clicked, this, &KeyDetailView::copyClicked);
    connect(view, &QPushButton::clicked, this, &KeyDetailView::viewPublicKeyClicked);
    connect(remove, &QPushButton::clicked, this, &KeyDetailView::deleteClicked);
    setCopied(false);
}

QString KeyDetailView::displayPath(const QString &path, const QString &homeDir)
{
    if (homeDir.isEmpty() || homeDir == "/"_L1)
        return path;
    QString shown = path;
    return shown.replace(homeDir, u"~"_s);
}

void KeyDetailView::setPair(const SSHKeyPair &pair)
{
    m_pair = pair;
    m_filename->setText(pair.name);
    m_type->setText(pair.keyType);
    const bool noComment = pair.comment.isEmpty();
    m_comment->setText(noComment ? tr("(none)") : pair.comment);
    Style::setTextColor(m_comment, noComment ? Style::Tone::Tertiary : Style::Tone::Label);
    m_path->setText(displayPath(pair.privateURL, m_homeDir));
    m_fingerprint->setText(pair.fingerprint);
}

void KeyDetailView::setCopied(bool copied)
{
    m_copy->setText(copied ? tr("Copied!") : tr("Copy Public Key"));
    m_copy->setIcon(copied ? SymbolIcon::icon(u"checkmark.circle.fill"_s, Style::Tone::Success)
                           : SymbolIcon::icon(u"doc.on.clipboard"_s));
}
