#pragma once

#include "hosts/NameEntrySheet.h"

#include <QPointer>

class KeywordCheck;

// Asks for the name of an option to add to a host block. Before a name the form does not know is
// added, ssh is asked whether it knows the keyword; one it refuses can still be added, listed
// under IgnoreUnknown so that ssh skips it.
class AddOptionSheet final : public NameEntrySheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddOptionSheet)
public:
    // ignoreUnknown: the user chose "Add Anyway" after ssh refused the keyword.
    using OptionCompletion = std::function<void(const QString &name, bool ignoreUnknown)>;
    AddOptionSheet(KeywordCheck *check, OptionCompletion onAdd, QWidget *parent = nullptr);

    // A name the configuration file can hold as one keyword.
    static bool isValidName(const QString &trimmed);

protected:
    bool isAcceptable(const QString &trimmed) const override;
    void nameChanged(const QString &trimmed) override;
    void confirmName(const QString &trimmed) override;

private:
    void answered(const QString &keyword);
    void showRefusal(const QString &name, const QString &message);
    void setNote(const QString &text, bool refusal);

    QPointer<KeywordCheck> m_check;
    OptionCompletion m_onAdd;
    QLabel *m_note;
    QString m_asking; // the name ssh is being asked about
    QString m_refused; // the name ssh refused: confirming adds it anyway
    bool m_addAnyway = false;
};
