#include "hosts/AddOptionSheet.h"

#include "engine/HostBlock.h"
#include "engine/OptionCatalogue.h"
#include "hosts/KeywordCheck.h"
#include "ui/Mnemonic.h"
#include "ui/Style.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

AddOptionSheet::AddOptionSheet(KeywordCheck *check, OptionCompletion onAdd, QWidget *parent)
    : NameEntrySheet(
        {tr("Add Custom SSH Option"),
         tr("Option name"),
         tr("e.g. ControlMaster, HashKnownHosts"),
         tr("Enter any valid OpenSSH client option. The value can be set after adding."),
         tr("Add")},
        QString(),
        [this](const QString &name) {
            if (m_onAdd)
                m_onAdd(name, m_addAnyway);
        },
        parent)
    , m_check(check)
    , m_onAdd(std::move(onAdd))
    , m_note(new QLabel(this))
{
    setObjectName(u"addOptionSheet"_s);
    m_note->setObjectName(u"sshCheckLabel"_s);
    m_note->setFont(Style::captionFont());
    m_note->setWordWrap(true);
    m_note->setMaximumWidth(420);
    m_note->hide();
    addBelowField(m_note);
    if (m_check)
        connect(m_check, &KeywordCheck::answered, this, &AddOptionSheet::answered);
    refresh();
}

bool AddOptionSheet::isValidName(const QString &trimmed)
{
    if (trimmed.isEmpty())
        return false;
    // The file separates a keyword from its value by blanks or "=", and "#" starts a comment:
    // a name holding any of them would be read back as a different option.
    for (QChar c : trimmed) {
        if (c.isSpace() || c == u'=' || c == u'#' || c == u'"' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool AddOptionSheet::isAcceptable(const QString &trimmed) const
{
    return isValidName(trimmed) && m_asking.isEmpty();
}

void AddOptionSheet::nameChanged(const QString &trimmed)
{
    if ((m_asking.isEmpty() || trimmed == m_asking) && (m_refused.isEmpty() || trimmed == m_refused))
        return;
    // Another name: what ssh said about the last one no longer applies.
    m_asking.clear();
    m_refused.clear();
    setNote({}, false);
    confirmButton()->setText(Mnemonic::escaped(tr("Add")));
    confirmButton()->setEnabled(isAcceptable(trimmed));
}

void AddOptionSheet::confirmName(const QString &trimmed)
{
    if (trimmed == m_refused) {
        m_addAnyway = true;
        finish(trimmed);
        return;
    }
    // The form's own options need no asking, nor does anything without an ssh to ask.
    if (!m_check || !m_check->isEnabled() || OptionCatalogue::knownKey(trimmed)) {
        finish(trimmed);
        return;
    }
    const auto answer = m_check->answer(trimmed);
    if (!answer) {
        m_asking = trimmed;
        setNote(tr("Checking with ssh…"), false);
        refresh();
    } else if (answer->known) {
        finish(trimmed);
    } else {
        showRefusal(trimmed, answer->message);
    }
}

void AddOptionSheet::answered(const QString &keyword)
{
    if (m_asking.isEmpty() || !SSHKeyword::equal(m_asking, keyword))
        return;
    const QString name = std::exchange(m_asking, QString());
    setNote({}, false);
    refresh();
    if (const auto answer = m_check->answer(name); answer && !answer->known)
        showRefusal(name, answer->message);
    else
        finish(name);
}

void AddOptionSheet::showRefusal(const QString &name, const QString &message)
{
    m_refused = name;
    setNote(tr("ssh on this system does not know %1. It says: “%2”. “Add Anyway” also lists it under "
               "IgnoreUnknown, so ssh skips it instead of stopping.")
                .arg(name, message),
            true);
    confirmButton()->setText(Mnemonic::escaped(tr("Add Anyway")));
    refresh();
}

void AddOptionSheet::setNote(const QString &text, bool refusal)
{
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
    Style::setTextColor(m_note, refusal ? Style::Tone::Destructive : Style::Tone::Secondary);
    field()->setAccessibleDescription(refusal ? text : QString());
}
