#include "hosts/KeywordCheck.h"

using namespace Qt::StringLiterals;

namespace {
    // ssh compares keywords with strcasecmp: only ASCII letters fold.
    QString folded(const QString &keyword)
    {
        QString result = keyword;
        for (QChar &c : result) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + (u'a' - u'A'));
        }
        return result;
    }
} // namespace

KeywordCheck::KeywordCheck(const QString &sshPath, QObject *parent)
    : QObject(parent)
    , m_sshPath(sshPath)
{}

std::optional<KeywordCheck::Answer> KeywordCheck::answer(const QString &keyword)
{
    if (!isEnabled() || keyword.isEmpty())
        return std::nullopt;
    const QString key = folded(keyword);
    if (const auto found = m_answers.constFind(key); found != m_answers.cend())
        return *found;
    m_answers.insert(key, std::nullopt);
    // One check per question: a check asked again while running would cancel the first.
    auto *check = new SSHCheck(m_sshPath, this);
    connect(check, &SSHCheck::finished, this, [this, check, key](const std::optional<SSHRejection> &rejection) {
        check->deleteLater();
        // A known keyword may refuse the neutral value; only a refusal of the keyword counts.
        Answer result;
        if (rejection && refusesKeyword(*rejection))
            result = {false, rejection->message};
        m_answers.insert(key, result);
        emit answered(key);
    });
    // An unknown keyword is refused before its value is looked at, so any value will do.
    check->probeOption(keyword, u"yes"_s);
    return std::nullopt;
}

bool KeywordCheck::refusesKeyword(const SSHRejection &rejection)
{
    return rejection.message.startsWith(u"Bad configuration option"_s);
}
