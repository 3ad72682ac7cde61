#include "hosts/KnownHostKeysRow.h"

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHResolver.h"
#include "hosts/ConfigSources.h"
#include "knownhosts/KnownHostsModel.h"
#include "ui/Dialogs.h"
#include "ui/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

KnownHostKeysRow::KnownHostKeysRow(SSHConfigModel *config,
                                   KnownHostsModel *knownHosts,
                                   ConfigSources *sources,
                                   QWidget *parent)
    : QWidget(parent)
    , m_config(config)
    , m_knownHosts(knownHosts)
    , m_sources(sources)
    , m_label(new QLabel(this))
    , m_forget(new QPushButton(tr("Forget…"), this))
    , m_recountTimer(new QTimer(this))
{
    setObjectName(u"knownHostKeysRow"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(8);
    m_label->setObjectName(u"knownHostKeysLabel"_s);
    m_label->setFont(Style::captionFont());
    Style::setTextColor(m_label, Style::Tone::Secondary);
    m_forget->setObjectName(u"forgetHostKeysButton"_s);
    m_forget->setFont(Style::captionFont());
    m_forget->setAutoDefault(false);
    m_forget->setAccessibleName(tr("Forget known host keys"));
    layout->addWidget(m_label);
    layout->addWidget(m_forget);
    layout->addStretch(1);

    // A count checks every entry, so it waits until the selection is drawn or the typing pauses.
    m_recountTimer->setSingleShot(true);
    m_recountTimer->setInterval(250);
    // Hidden, behind a pane, the row counts nothing; showing it again counts.
    connect(m_recountTimer, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
    });
    // Any section may set this host's HostName or Port (Host *, Match, an Include).
    connect(m_sources, &ConfigSources::changed, m_recountTimer, qOverload<>(&QTimer::start));
    connect(m_knownHosts, &KnownHostsModel::entriesChanged, this, [this] {
        if (isVisible())
            recount();
    });
    connect(m_forget, &QPushButton::clicked, this, &KnownHostKeysRow::forget);
    updateNames();
}

QStringList KnownHostKeysRow::namesFor(const HostBlock &block, const SSHResolver &resolver, const QString &localUser)
{
    QStringList names;
    for (const QString &word : ConfigSyntax::arguments(block.pattern)) {
        if (word.isEmpty() || word.startsWith(u'!') || word.contains(u'*') || word.contains(u'?'))
            continue;
        const Resolution resolution = resolver.resolve(word, localUser);
        const auto value = [&resolution](QStringView keyword) {
            const ResolvedOption *option = resolution.find(keyword);
            return option ? TextRules::trimmed(option->value) : QString();
        };
        const QString alias = value(u"hostkeyalias");
        const QString hostName = value(u"hostname");
        const QString name = (!alias.isEmpty() ? alias : !hostName.isEmpty() ? hostName : word).toLower();
        // A token left in HostName is one ssh refuses; no name can be told.
        if (alias.isEmpty() && name.contains(u'%'))
            continue;
        if (!names.contains(name))
            names << name;
        bool isNumber = false;
        const int port = value(u"port").toInt(&isNumber);
        const QString withPort = u"[%1]:%2"_s.arg(name).arg(port);
        if (alias.isEmpty() && isNumber && port != 22 && !names.contains(withPort))
            names << withPort;
    }
    return names;
}

void KnownHostKeysRow::setBlockId(const QUuid &id)
{
    m_blockId = id;
    updateNames();
    m_ids.clear();
    m_label->setText(tr("Known host keys: …"));
    m_forget->setEnabled(false);
    m_recountTimer->start();
}

void KnownHostKeysRow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_recountTimer->start();
}

// Reads known_hosts again when it changed since (ssh adds to it while Korvel runs); a reload
// recounts through entriesChanged.
void KnownHostKeysRow::refresh()
{
    if (!m_knownHosts->isCurrent())
        m_knownHosts->load();
    else
        recount();
}

void KnownHostKeysRow::updateNames()
{
    const QList<HostBlock> &blocks = m_config->blocks();
    const auto found = std::find_if(blocks.cbegin(), blocks.cend(), [this](const HostBlock &b) {
        return b.id == m_blockId;
    });
    m_names = found == blocks.cend() ? QStringList()
                                     : namesFor(*found, m_sources->resolver(), m_sources->locations().userName);
    setVisible(!m_names.isEmpty());
    m_label->setToolTip(tr("Entries of known_hosts for %1").arg(m_names.join(u", "_s)));
    m_forget->setToolTip(tr("Remove the known_hosts entries for %1").arg(m_names.join(u", "_s)));
}

void KnownHostKeysRow::recount()
{
    m_recountTimer->stop();
    updateNames();
    m_ids = m_knownHosts->removableFor(m_names);
    m_label->setText(tr("Known host keys: %1").arg(m_ids.size()));
    m_forget->setEnabled(!m_ids.isEmpty());
}

void KnownHostKeysRow::forget()
{
    refresh();
    if (m_ids.isEmpty())
        return;
    const qsizetype n = m_ids.size();
    const QString names = m_names.join(u", "_s);
    const QString text = n == 1 ? tr("Remove 1 entry for %1 from known_hosts?").arg(names)
                                : tr("Remove %1 entries for %2 from known_hosts?").arg(QString::number(n), names);
    // Cancel is the default: Return alone never removes.
    const int choice =
        Dialogs::ask(this,
                     tr("Forget Host Keys?"),
                     text + u' ' + tr("SSH will ask you to verify the host's key on the next connection."),
                     {{tr("Forget"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                     QMessageBox::Warning,
                     1);
    if (choice != 0)
        return;
    m_knownHosts->removeEntries(m_ids);
    if (const auto error = m_knownHosts->errorMessage()) {
        Dialogs::showError(this, *error, [model = QPointer<KnownHostsModel>(m_knownHosts)] {
            if (model)
                model->setErrorMessage(std::nullopt);
        });
    }
}
