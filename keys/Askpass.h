#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryDir;

// The private route by which ssh-keygen and ssh-add get a passphrase: a helper script in a 0700
// temporary directory that answers their prompts from variables only the child and the helper
// see, so a passphrase never appears in any process's argument list. The helper lives as long as
// some copy of this object does; keep one until the tool has finished.
class Askpass final
{
public:
    // The answer to "Enter old passphrase" (ssh-keygen -p) is `oldPassphrase`; every other prompt
    // gets `passphrase`, but a retry after a wrong one, which is refused so ssh-add stops asking.
    static std::optional<Askpass> prepare(const QString &passphrase, const QString &oldPassphrase = {});

    // Added to the tool's environment. "force" makes the tools ask the helper even without a display.
    const QList<QPair<QString, QString>> &environment() const
    {
        return m_environment;
    }

private:
    std::shared_ptr<QTemporaryDir> m_dir;
    QList<QPair<QString, QString>> m_environment;
};
