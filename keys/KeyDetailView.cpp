#include "keys/KeyDetailView.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QFormLayout>
#include <QGridLayout>
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
    m_usedBy = valueLabel(u"usedByValue"_s, info);
    infoForm->addRow(tr("Used by"), m_usedBy);
    m_agent = valueLabel(u"agentValue"_s, info);
    infoForm->addRow(tr("SSH agent"), m_agent);
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
    m_changePassphrase = new QPushButton(SymbolIcon::icon(u"lock.fill"_s), tr("Change Passphrase…"), actions);
    m_changePassphrase->setObjectName(u"changePassphraseButton"_s);
    m_changeComment = new QPushButton(SymbolIcon::icon(u"pencil"_s), tr("Change Comment…"), actions);
    m_changeComment->setObjectName(u"changeCommentButton"_s);
    m_addToAgent = new QPushButton(SymbolIcon::icon(u"plus.circle"_s), tr("Add to Agent"), actions);
    m_addToAgent->setObjectName(u"addToAgentButton"_s);
    m_removeFromAgent = new QPushButton(SymbolIcon::icon(u"minus.circle"_s), tr("Remove from Agent"), actions);
    m_removeFromAgent->setObjectName(u"removeFromAgentButton"_s);
    auto *server = new QPushButton(SymbolIcon::icon(u"server.rack"_s), tr("Copy to Server…"), actions);
    server->setObjectName(u"copyToServerButton"_s);
    auto *remove =
        new QPushButton(SymbolIcon::icon(u"trash"_s, Style::Tone::Destructive), tr("Delete Key Pair"), actions);
    remove->setObjectName(u"deleteButton"_s);
    Style::setTextColor(remove, Style::Tone::Destructive);
    // Two columns: what shows or hands out the public key, and what changes the key or the agent.
    auto *columns = new QGridLayout;
    actionLayout->addLayout(columns);
    const QList<QList<QPushButton *>> rows{{m_copy, m_changePassphrase},
                                           {view, m_changeComment},
                                           {server, m_addToAgent},
                                           {remove, m_removeFromAgent}};
    QWidget *previous = nullptr;
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 2; ++column) {
            QPushButton *button = rows.at(row).at(column);
            button->setAutoDefault(false);
            columns->addWidget(button, row, column, Qt::AlignLeft);
            if (previous)
                setTabOrder(previous, button);
            previous = button;
        }
    }
    columns->setColumnStretch(2, 1);
    layout->addWidget(actions);
    layout->addStretch(1);

    connect(m_copy, &QPushButton::clicked, this, &KeyDetailView::copyClicked);
    connect(view, &QPushButton::clicked, this, &KeyDetailView::viewPublicKeyClicked);
    connect(remove, &QPushButton::clicked, this, &KeyDetailView::deleteClicked);
    connect(m_changePassphrase, &QPushButton::clicked, this, &KeyDetailView::changePassphraseClicked);
    connect(m_changeComment, &QPushButton::clicked, this, &KeyDetailView::changeCommentClicked);
    connect(m_addToAgent, &QPushButton::clicked, this, &KeyDetailView::addToAgentClicked);
    connect(m_removeFromAgent, &QPushButton::clicked, this, &KeyDetailView::removeFromAgentClicked);
    connect(server, &QPushButton::clicked, this, &KeyDetailView::copyToServerClicked);
    setAgent(AgentMark::unknown, false);
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

void KeyDetailView::setUsedBy(const QStringList &hosts)
{
    m_usedBy->setText(hosts.isEmpty() ? tr("No host in the config") : hosts.join(u", "_s));
    Style::setTextColor(m_usedBy, hosts.isEmpty() ? Style::Tone::Tertiary : Style::Tone::Label);
}

void KeyDetailView::setAgent(AgentMark mark, bool busy)
{
    switch (mark) {
    case AgentMark::unknown:
        m_agent->setText(tr("Asking the agent…"));
        break;
    case AgentMark::absent:
        m_agent->setText(tr("No SSH agent is running"));
        break;
    case AgentMark::loaded:
        m_agent->setText(tr("Loaded"));
        break;
    case AgentMark::notLoaded:
        m_agent->setText(tr("Not loaded"));
        break;
    }
    Style::setTextColor(m_agent, mark == AgentMark::loaded ? Style::Tone::Success : Style::Tone::Secondary);
    m_addToAgent->setEnabled(!busy && mark == AgentMark::notLoaded);
    m_removeFromAgent->setEnabled(!busy && mark == AgentMark::loaded);
}

void KeyDetailView::setEditing(bool editing)
{
    m_changePassphrase->setEnabled(!editing);
    m_changeComment->setEnabled(!editing);
}
