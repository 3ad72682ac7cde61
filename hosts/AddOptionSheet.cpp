#include "hosts/AddOptionSheet.h"

using namespace Qt::StringLiterals;

AddOptionSheet::AddOptionSheet(Completion onAdd, QWidget *parent)
    : NameEntrySheet({tr("Add Custom SSH Option"),
                      tr("Option name"),
                      tr("e.g. ControlMaster, HashKnownHosts"),
                      tr("Enter any valid OpenSSH client option. The value can be set after adding."),
                      tr("Add")},
                     QString(),
                     std::move(onAdd),
                     parent)
{
    setObjectName(u"addOptionSheet"_s);
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
    return isValidName(trimmed);
}
