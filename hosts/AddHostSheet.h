#pragma once

#include "hosts/NameEntrySheet.h"

#include <QStringList>

// Asks for the alias of a new host block; refuses an empty alias or one that already exists.
class AddHostSheet final : public NameEntrySheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddHostSheet)
public:
    AddHostSheet(const QStringList &existingPatterns,
                 const QString &startName,
                 Completion onAdd,
                 QWidget *parent = nullptr);

    bool isDuplicate() const;

protected:
    bool isAcceptable(const QString &trimmed) const override;
    void nameChanged(const QString &trimmed) override;

private:
    QStringList m_existingPatterns;
    QLabel *m_duplicateMessage;
};
