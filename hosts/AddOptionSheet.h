#pragma once

#include "hosts/NameEntrySheet.h"

// Asks for the name of an option to add to a host block.
class AddOptionSheet final : public NameEntrySheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddOptionSheet)
public:
    explicit AddOptionSheet(Completion onAdd, QWidget *parent = nullptr);

    // A name the configuration file can hold as one keyword.
    static bool isValidName(const QString &trimmed);

protected:
    bool isAcceptable(const QString &trimmed) const override;
};
