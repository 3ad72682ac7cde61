#include "keys/SSHKeysView.h"

#include "core/TerminalLauncher.h"
#include "keys/CopiedMark.h"
#include "keys/GenerateKeySheet.h"
#include "keys/KeyActionSheet.h"
#include "keys/KeyDelegate.h"
#include "keys/KeyDetailView.h"
#include "keys/KeyEditor.h"
#include "keys/KeyListModel.h"
#include "keys/PublicKeySheet.h"
#include "keys/SSHAgent.h"
#include "keys/SSHKeysModel.h"
#include "ui/Dialogs.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    std::chrono::milliseconds g_copiedInterval{2000};
} // namespace

namespace CopiedMark {
    std::chrono::milliseconds interval()
    {
        return g_copiedInterval;
    }
    void setInterval(std::chrono::milliseconds interval)
    {
        g_copiedInterval = interval;
    }
} // namespace CopiedMark

SSHKeysView::SSHKeysView(const Locations &locations, QWidget *parent)
    : QWidget(parent)
    , m_locations(locations)
    , m_model(new SSHKeysModel(locations.sshDir, locations.keygenPath, this))
    , m_agent(new SSHAgent(locations.agentSocket, locations.sshAddPath, locations.keygenPath, this))
    , m_editor(new KeyEditor(locations.keygenPath, this))
    , m_list(new QListView(this))
    , m_listModel(new KeyListModel(m_model))
    , m_status(new StatusLine(this))
    , m_detailStack(new QStackedWidget(this))
    , m_emptyState(new QWidget(this))
    , m_detail(new KeyDetailView(locations.homeDir, this))
    , m_copyReset(new QTimer(this))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    outer->addWidget(splitter);

    auto *left = new QWidget(splitter);
    left->setMinimumWidth(240);
    left->setMaximumWidth(340);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto *header = new PaneHeader(tr("SSH Keys"), left);
    QToolButton *refresh = header->addButton(u"arrow.clockwise"_s, tr("Refresh"), u"refreshButton"_s);
    QToolButton *generate = header->addButton(u"plus"_s, tr("Generate new key pair"), u"generateButton"_s);
    leftLayout->addWidget(header);
    leftLayout->addWidget(makeDivider(Qt::Horizontal, left));
    m_list->setObjectName(u"keyList"_s);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAccessibleName(tr("Key pairs"));
    m_list->setItemDelegate(new KeyDelegate(m_list));
    m_list->setModel(m_listModel);
    m_list->installEventFilter(this);
    leftLayout->addWidget(m_list, 1);
    leftLayout->addWidget(makeDivider(Qt::Horizontal, left));
    leftLayout->addWidget(m_status);

    m_emptyState->setObjectName(u"emptyState"_s);
    auto *emptyLayout = new QVBoxLayout(m_emptyState);
    emptyLayout->setSpacing(16);
    emptyLayout->addStretch(1);
    auto *emptyIcon = new IconLabel(u"key.fill"_s, Style::Tone::Secondary, 52, m_emptyState);
    auto *emptyText = new QLabel(tr("Select a key pair to view details"), m_emptyState);
    emptyText->setAlignment(Qt::AlignCenter);
    Style::setTextColor(emptyText, Style::Tone::Secondary);
    auto *emptyGenerate = new QPushButton(tr("Generate New Key Pair"), m_emptyState);
    emptyGenerate->setObjectName(u"emptyGenerateButton"_s);
    emptyGenerate->setDefault(true);
    emptyLayout->addWidget(emptyIcon);
    emptyLayout->addWidget(emptyText);
    emptyLayout->addWidget(emptyGenerate, 0, Qt::AlignHCenter);
    emptyLayout->addStretch(1);

    m_detail->setObjectName(u"keyDetail"_s);
    m_detailStack->setObjectName(u"detailStack"_s);
    m_detailStack->setMinimumWidth(400);
    m_detailStack->addWidget(m_emptyState);
    m_detailStack->addWidget(m_detail);

    splitter->addWidget(left);
    splitter->addWidget(m_detailStack);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 600});

    m_copyReset->setObjectName(u"copyResetTimer"_s);
    m_copyReset->setSingleShot(true);

    connect(refresh, &QToolButton::clicked, m_model, &SSHKeysModel::load);
    connect(refresh, &QToolButton::clicked, m_agent, &SSHAgent::refresh);
    connect(generate, &QToolButton::clicked, this, &SSHKeysView::openGenerateSheet);
    connect(emptyGenerate, &QPushButton::clicked, this, &SSHKeysView::openGenerateSheet);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &SSHKeysView::selectionChanged);
    connect(m_detail, &KeyDetailView::copyClicked, this, &SSHKeysView::copySelected);
    connect(m_detail, &KeyDetailView::viewPublicKeyClicked, this, &SSHKeysView::viewPublicKey);
    connect(m_detail, &KeyDetailView::deleteClicked, this, &SSHKeysView::confirmDelete);
    connect(m_detail, &KeyDetailView::changePassphraseClicked, this, &SSHKeysView::changePassphrase);
    connect(m_detail, &KeyDetailView::changeCommentClicked, this, &SSHKeysView::changeComment);
    connect(m_detail, &KeyDetailView::addToAgentClicked, this, [this] {
        addToAgent();
    });
    connect(m_detail, &KeyDetailView::removeFromAgentClicked, this, [this] {
        if (const std::optional<SSHKeyPair> pair = selectedPair())
            m_agent->remove(*pair);
    });
    connect(m_detail, &KeyDetailView::copyToServerClicked, this, &SSHKeysView::copyToServer);
    connect(m_agent, &SSHAgent::changed, this, &SSHKeysView::showAgentState);
    connect(m_agent, &SSHAgent::busyChanged, this, &SSHKeysView::showAgentState);
    connect(m_agent, &SSHAgent::passphraseNeeded, this, &SSHKeysView::askAgentPassphrase);
    connect(m_editor, &KeyEditor::finished, this, [this](bool changed, const QString &privatePath) {
        // The comment shows in the list, and a new key file may have a new fingerprint line.
        if (changed) {
            m_reselectPath = privatePath;
            m_model->reload(m_editor->statusMessage());
        }
        showAgentState();
    });
    // After the list model has rebuilt its rows, whatever order the model's slots run in.
    connect(m_listModel, &KeyListModel::modelReset, this, &SSHKeysView::listReset);
    connect(m_model, &SSHKeysModel::statusMessageChanged, this, [this] {
        m_status->setFullText(m_model->statusMessage());
    });
    connect(m_model, &SSHKeysModel::publicKeyCopyRequested, this, [](const QString &text) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(text);
    });
    // The status line shows the latest word of any of them.
    for (StatusModel *source : std::initializer_list<StatusModel *>{m_agent, m_editor}) {
        connect(source, &StatusModel::statusMessageChanged, this, [this, source] {
            m_status->setFullText(source->statusMessage());
        });
        ModelAlert::attach(this, source);
    }
    ModelAlert::attach(this, m_model);
    showSelection();
}

void SSHKeysView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_model->load();
        m_agent->refresh();
    }
}

bool SSHKeysView::eventFilter(QObject *watched, QEvent *event)
{
    // Delete asks about the selected pair, as the Delete Key Pair button does; the override keeps
    // a window shortcut on the same key from taking it while the list has the focus.
    if (watched == m_list && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Delete)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            confirmDelete();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SSHKeysView::listReset()
{
    // Every scan makes new identifiers, so the old selection matches nothing now; after an edit
    // the edited pair is selected again.
    m_selectedID.reset();
    const QString reselect = std::exchange(m_reselectPath, QString());
    for (const SSHKeyPair &pair : m_model->keyPairs()) {
        if (!reselect.isEmpty() && pair.privateURL == reselect) {
            m_list->setCurrentIndex(m_listModel->indexOf(pair.id)); // selects through selectionChanged
            return;
        }
    }
    showSelection();
}

void SSHKeysView::selectionChanged()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        m_selectedID.reset();
    else
        m_selectedID = rows.first().data(KeyListModel::IdRole).toUuid();
    showSelection();
}

void SSHKeysView::setHostLookup(std::function<QStringList(const QString &)> hostsUsing,
                                std::function<QStringList()> aliases)
{
    m_hostsUsing = std::move(hostsUsing);
    m_aliases = std::move(aliases);
    showSelection();
}

std::optional<SSHKeyPair> SSHKeysView::selectedPair() const
{
    for (const SSHKeyPair &pair : m_model->keyPairs()) {
        if (pair.id == m_selectedID)
            return pair;
    }
    return std::nullopt;
}

void SSHKeysView::showSelection()
{
    if (const std::optional<SSHKeyPair> pair = selectedPair()) {
        m_detail->setPair(*pair);
        showAgentState();
        m_detail->setCopied(m_copiedID == pair->id);
        m_detail->setUsedBy(m_hostsUsing ? m_hostsUsing(pair->privateURL) : QStringList());
        m_detailStack->setCurrentWidget(m_detail);
        return;
    }
    showAgentState();
    m_detailStack->setCurrentWidget(m_emptyState);
}

void SSHKeysView::showAgentState()
{
    QSet<QUuid> held;
    for (const SSHKeyPair &pair : m_model->keyPairs()) {
        if (m_agent->holds(pair))
            held.insert(pair.id);
    }
    m_listModel->setInAgent(held);
    using Mark = KeyDetailView::AgentMark;
    Mark mark = Mark::unknown;
    if (m_agent->state() == SSHAgent::State::absent)
        mark = Mark::absent;
    else if (m_agent->state() == SSHAgent::State::running)
        mark = held.contains(m_detail->pair().id) ? Mark::loaded : Mark::notLoaded;
    m_detail->setAgent(mark, m_agent->isBusy() || m_editor->isBusy());
    m_detail->setEditing(m_editor->isBusy());
}

void SSHKeysView::setCopiedID(std::optional<QUuid> id)
{
    m_copiedID = id;
    m_listModel->setCopiedID(id);
    m_detail->setCopied(m_copiedID && m_copiedID == m_detail->pair().id);
}

void SSHKeysView::copySelected()
{
    const SSHKeyPair pair = m_detail->pair();
    m_model->copyPublicKey(pair);
    setCopiedID(pair.id);
    // Replace any pending reset, so the mark lasts the full interval after the last click.
    m_copyReset->disconnect();
    connect(m_copyReset, &QTimer::timeout, this, [this, id = pair.id] {
        if (m_copiedID == id)
            setCopiedID(std::nullopt);
    });
    m_copyReset->start(CopiedMark::interval());
}

void SSHKeysView::viewPublicKey()
{
    auto *sheet = new PublicKeySheet(m_detail->pair(), this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &PublicKeySheet::copyRequested, this, [this, pair = m_detail->pair()] {
        m_model->copyPublicKey(pair);
    });
    sheet->open();
}

void SSHKeysView::openGenerateSheet()
{
    auto *sheet = new GenerateKeySheet(m_model->sshDir(), KeyGenOptions{}, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &GenerateKeySheet::generateRequested, this, [this](const KeyGenOptions &options) {
        // Start once the sheet has closed; the model reports back when the key tool is done.
        QMetaObject::invokeMethod(
            this,
            [this, options] {
                m_model->generateKey(options);
            },
            Qt::QueuedConnection);
    });
    sheet->open();
}

void SSHKeysView::confirmDelete()
{
    const std::optional<SSHKeyPair> selected = selectedPair();
    if (!selected)
        return;
    QString question = tr("Permanently delete %1 and %1.pub? This cannot be undone.").arg(selected->name);
    if (const QStringList hosts = m_hostsUsing ? m_hostsUsing(selected->privateURL) : QStringList(); !hosts.isEmpty())
        question += u"\n\n"_s + tr("These hosts in the config use it: %1").arg(hosts.join(u", "_s));
    // Cancel is the default: Return alone never deletes.
    const int answer =
        Dialogs::ask(this,
                     tr("Delete Key Pair?"),
                     question,
                     {{tr("Delete"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                     QMessageBox::Warning,
                     1);
    if (answer != 0)
        return;
    m_model->deleteKeyPair(*selected);
    m_selectedID.reset();
    m_list->clearSelection();
    showSelection();
}

KeyActionSheet *
SSHKeysView::openSheet(const QString &objectName, const QString &title, const QString &text, const QString &confirmText)
{
    auto *sheet = new KeyActionSheet(objectName, title, text, confirmText, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    return sheet;
}

void SSHKeysView::changePassphrase()
{
    const std::optional<SSHKeyPair> pair = selectedPair();
    if (!pair)
        return;
    KeyActionSheet *sheet = openSheet(
        u"passphraseSheet"_s,
        tr("Change Passphrase"),
        tr("Leave the current passphrase empty if %1 has none, and the new one empty to remove it.").arg(pair->name),
        tr("Change Passphrase"));
    QLineEdit *current = sheet->addPassphrase(u"oldPassphraseEdit"_s, tr("Current passphrase"));
    QLineEdit *fresh = sheet->addPassphrase(u"newPassphraseEdit"_s, tr("New passphrase"));
    QLineEdit *again = sheet->addPassphrase(u"confirmPassphraseEdit"_s, tr("Confirm new passphrase"));
    sheet->setCanConfirm([fresh, again] {
        return fresh->text() == again->text();
    });
    connect(sheet, &QDialog::accepted, this, [this, pair = *pair, current, fresh] {
        m_editor->changePassphrase(pair, current->text(), fresh->text());
        showAgentState();
    });
    sheet->open();
}

void SSHKeysView::changeComment()
{
    const std::optional<SSHKeyPair> pair = selectedPair();
    if (!pair)
        return;
    KeyActionSheet *sheet = openSheet(u"commentSheet"_s,
                                      tr("Change Comment"),
                                      tr("The comment is stored in %1 and %1.pub. A key with a passphrase needs it "
                                         "to be rewritten.")
                                          .arg(pair->name),
                                      tr("Change Comment"));
    QLineEdit *comment = sheet->addLine(u"commentEdit"_s, tr("Comment"), pair->comment);
    QLineEdit *passphrase = sheet->addPassphrase(u"passphraseEdit"_s, tr("Passphrase, if any"));
    connect(sheet, &QDialog::accepted, this, [this, pair = *pair, comment, passphrase] {
        m_editor->changeComment(pair, comment->text(), passphrase->text());
        showAgentState();
    });
    sheet->open();
}

void SSHKeysView::addToAgent(const QString &passphrase)
{
    if (const std::optional<SSHKeyPair> pair = selectedPair())
        m_agent->add(*pair, passphrase);
}

void SSHKeysView::askAgentPassphrase(const QString &privatePath)
{
    const std::optional<SSHKeyPair> pair = selectedPair();
    // The user moved on while the agent was asked.
    if (!pair || pair->privateURL != privatePath)
        return;
    KeyActionSheet *sheet = openSheet(u"agentPassphraseSheet"_s,
                                      tr("Add to Agent"),
                                      tr("%1 is protected by a passphrase.").arg(pair->name),
                                      tr("Add to Agent"));
    QLineEdit *passphrase = sheet->addPassphrase(u"passphraseEdit"_s, tr("Passphrase"));
    sheet->setCanConfirm([passphrase] {
        return !passphrase->text().isEmpty();
    });
    connect(sheet, &QDialog::accepted, this, [this, pair = *pair, passphrase] {
        m_agent->add(pair, passphrase->text());
    });
    sheet->open();
}

void SSHKeysView::copyToServer()
{
    const std::optional<SSHKeyPair> pair = selectedPair();
    if (!pair)
        return;
    const QStringList aliases = m_aliases ? m_aliases() : QStringList();
    if (aliases.isEmpty()) {
        Dialogs::ask(this,
                     tr("No Host to Copy To"),
                     tr("The config names no host to copy the key to. Add a host first."),
                     {{tr("OK"), QMessageBox::AcceptRole}},
                     QMessageBox::Information,
                     0);
        return;
    }
    KeyActionSheet *sheet = openSheet(u"copyToServerSheet"_s,
                                      tr("Copy to Server"),
                                      tr("ssh-copy-id adds %1.pub to the server's authorized keys. It runs in a "
                                         "terminal, since the server may ask for a password.")
                                          .arg(pair->name),
                                      tr("Copy"));
    QComboBox *host = sheet->addChoice(u"hostChoice"_s, tr("Host"), aliases);
    connect(sheet, &QDialog::accepted, this, [this, pair = *pair, host] {
        // Separate arguments all the way: no shell ever sees the alias or the path.
        const QString alias = host->currentText();
        if (const auto failure =
                TerminalLauncher::openWith({u"ssh-copy-id"_s, u"-i"_s, pair.publicURL, u"--"_s, alias})) {
            Dialogs::ask(this,
                         tr("Cannot Open a Terminal"),
                         *failure,
                         {{tr("OK"), QMessageBox::AcceptRole}},
                         QMessageBox::Warning,
                         0);
            return;
        }
        m_status->setFullText(tr("Copying %1.pub to %2 in a terminal").arg(pair.name, alias));
    });
    sheet->open();
}
