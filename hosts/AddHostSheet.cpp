#include "hosts/AddHostSheet.h"

#include "ui/Style.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

AddHostSheet::AddHostSheet(const QStringList &existingPatterns,
                           const QString &startName,
                           Completion onAdd,
                           QWidget *parent)
    : NameEntrySheet({tr("New SSH Host"),
                      tr("Host alias"),
                      tr("e.g. myserver, prod-db, *.example.com"),
                      tr("The alias is what you type in: ssh <alias>. Set HostName in the detail form for the real "
                         "address."),
                      tr("Add Host")},
                     startName,
                     std::move(onAdd),
                     parent)
    , m_existingPatterns(existingPatterns)
    , m_duplicateMessage(new QLabel(tr("A host with this alias already exists."), this))
{
    setObjectName(u"addHostSheet"_s);
    m_duplicateMessage->setObjectName(u"duplicateLabel"_s);
    m_duplicateMessage->setFont(Style::captionFont());
    Style::setTextColor(m_duplicateMessage, Style::Tone::Destructive);
    addBelowField(m_duplicateMessage);
    refresh();
}

bool AddHostSheet::isDuplicate() const
{
    return m_existingPatterns.contains(trimmedName());
}

bool AddHostSheet::isAcceptable(const QString &trimmed) const
{
    return !trimmed.isEmpty() && !m_existingPatterns.contains(trimmed);
}

void AddHostSheet::nameChanged(const QString &trimmed)
{
    const bool duplicate = m_existingPatterns.contains(trimmed);
    m_duplicateMessage->setVisible(duplicate);
    field()->setAccessibleDescription(duplicate ? m_duplicateMessage->text() : QString());
}
