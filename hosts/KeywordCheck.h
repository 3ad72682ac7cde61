#pragma once

#include "engine/SSHCheck.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

// Asks the installed ssh whether it knows an option's keyword, once per keyword for the session,
// without reading any config and without connecting. Without an ssh to ask, nothing is asked.
class KeywordCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordCheck)
public:
    explicit KeywordCheck(const QString &sshPath, QObject *parent = nullptr);

    bool isEnabled() const
    {
        return !m_sshPath.isEmpty();
    }
    QString sshPath() const
    {
        return m_sshPath;
    }

    struct Answer {
        bool known = true;
        QString message; // ssh's words when it refused the keyword
    };
    // ssh's answer once it has given one; the first call for a keyword asks, and answered() follows.
    std::optional<Answer> answer(const QString &keyword);

    // Whether ssh refused the keyword itself rather than the value given with it.
    static bool refusesKeyword(const SSHRejection &rejection);

signals:
    void answered(const QString &keyword);

private:
    QString m_sshPath;
    // By keyword in lower case, as ssh compares them; nothing while ssh is being asked.
    QHash<QString, std::optional<Answer>> m_answers;
};
