#include "core/TerminalLauncher.h"
#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHConfigModel.h"
#include "hosts/ConfigSources.h"
#include "hosts/ContentView.h"
#include "hosts/HostDetailView.h"
#include "hosts/ResolvedOptionsModel.h"
#include "hosts/ResolvedView.h"
#include "ui/Dialogs.h"

#include <QDesktopServices>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

std::optional<QString> ContentView::connectAlias(const QString &pattern)
{
    // Split as ssh splits the Host line: quotes group words with blanks in them.
    for (const QString &word :
         ConfigSyntax::arguments(ConfigSyntax::hostPatterns(TextRules::trimmed(QStringView(pattern))))) {
        // ssh refuses a host name that starts with "-".
        if (word.isEmpty() || word.startsWith(u'!') || word.startsWith(u'-') || word.contains(u'*')
            || word.contains(u'?'))
            continue;
        return word;
    }
    return std::nullopt;
}

std::optional<QString> ContentView::selectedConnectAlias() const
{
    if (m_selected && m_selected->isIncluded()) {
        const IncludedHostBlock *included = m_sources->includedBlock(m_selected->file, m_selected->line);
        return included ? connectAlias(included->block.pattern) : std::nullopt;
    }
    const auto index = selectedHostIndex();
    return index ? connectAlias(m_model->blocks().at(*index).pattern) : std::nullopt;
}

void ContentView::connectSelectedHost()
{
    const auto alias = selectedConnectAlias();
    if (!alias)
        return;
    if (m_model->isDirty()) {
        const int choice = Dialogs::ask(this,
                                        tr("Save Before Connecting?"),
                                        tr("ssh reads %1 as it is on disk, without your unsaved changes. "
                                           "Save them first?")
                                            .arg(configDisplayPath()),
                                        {{tr("Save & Connect"), QMessageBox::AcceptRole},
                                         {tr("Connect Without Saving"), QMessageBox::ActionRole},
                                         {tr("Cancel"), QMessageBox::RejectRole}},
                                        QMessageBox::Question,
                                        0);
        if (choice < 0 || choice == 2 || (choice == 0 && !saveChecked()))
            return;
    }
    connectTo(*alias);
}

void ContentView::connectTo(const QString &alias)
{
    // "--" keeps an alias that starts with a dash from being read as an option of ssh.
    if (const auto failure = TerminalLauncher::openWith({u"ssh"_s, u"--"_s, alias})) {
        Dialogs::ask(this,
                     tr("Cannot Open a Terminal"),
                     *failure,
                     {{tr("OK"), QMessageBox::AcceptRole}},
                     QMessageBox::Warning,
                     0);
    }
}

void ContentView::updateHostBody()
{
    if (!m_selected || !(m_selected->isHost() || m_selected->isIncluded()))
        return;
    if (m_resolvedToggle->isChecked()) {
        m_resolved->setItem(*m_selected);
        m_hostBody->setCurrentWidget(m_resolved);
        return;
    }
    const IncludedHostBlock *included =
        m_selected->isIncluded() ? m_sources->includedBlock(m_selected->file, m_selected->line) : nullptr;
    if (!included) {
        m_hostBody->setCurrentWidget(m_detail);
        return;
    }
    QList<ResolvedOptionsModel::Row> rows;
    for (const HostOption &option : included->block.options)
        rows.append({option.name, option.value, {}});
    m_includedOptions->setRows(rows);
    m_hostBody->setCurrentWidget(m_includedTable->parentWidget());
}

void ContentView::openIncludedFile()
{
    if (m_selected && m_selected->isIncluded())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_selected->file));
}
