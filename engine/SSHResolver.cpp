#include "engine/SSHResolver.h"

#include "core/Wildcard.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHResolverData.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
    using Data = SSHResolver::Data;
    constexpr auto asciiLower = &Data::asciiLower;

    bool matches(QStringView s, const Data::Pattern &p)
    {
        return p.literal ? s == p.text : Wildcard::matches(s, QStringView(p.text));
    }

    // ssh's match_pattern_list(): a negated pattern that matches vetoes the list.
    bool matchList(QStringView s, const QList<Data::Pattern> &list)
    {
        bool positive = false;
        for (const Data::Pattern &p : list) {
            if (matches(s, p)) {
                if (p.negated)
                    return false;
                positive = true;
            }
        }
        return positive;
    }

    // HostName takes %h (the name being resolved) and %%, nothing else.
    QString expandHostName(const QString &value, const QString &host)
    {
        if (!value.contains(u'%'))
            return value;
        QString result;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == u'%' && i + 1 < value.size() && (value[i + 1] == u'h' || value[i + 1] == u'%')) {
                result += value[i + 1] == u'h' ? host : u"%"_s;
                ++i;
            } else {
                result += value[i];
            }
        }
        return result;
    }

    // Whether a section applies: no, only if a `Match exec` command succeeds, or yes.
    enum Activity {
        Inactive,
        Conditional,
        Active
    };

    struct Pass {
        const Data &data;
        Resolution &result;
        const QString &localUser;
        QString host; // what Host and Match host compare: the name typed, then the final host name
        QString hostName; // HostName as set so far, expanded
        QString remoteUser; // the destination's user, else User as set so far
        bool final = false;
        std::vector<char> seen; // per slot: a value was taken
        QStringList setEnvNames;

        void note(const Data::Option &option, QString value)
        {
            const Data::Keyword &keyword = data.keywords[size_t(option.keyword)];
            result.options.append({keyword.name, std::move(value), data.files[option.file], option.line});
        }

        void apply(const Data::Option &option)
        {
            const Data::Keyword &keyword = data.keywords[size_t(option.keyword)];
            if (!keyword.known)
                return;
            char &taken = seen[size_t(keyword.slot)];
            switch (keyword.takes) {
            case Data::Takes::First:
            case Data::Takes::Raw:
                if (taken)
                    return;
                taken = 1;
                if (option.keyword == data.hostNameKeyword) {
                    hostName = asciiLower(expandHostName(option.value, host));
                    note(option, hostName);
                    return;
                }
                if (option.keyword == data.userKeyword)
                    remoteUser = option.value;
                note(option, option.value);
                return;
            case Data::Takes::Each:
                for (const ResolvedOption &o : std::as_const(result.options)) {
                    if (o.keyword == keyword.name && o.value == option.value)
                        return; // ssh drops a repeated value
                }
                note(option, option.value);
                return;
            case Data::Takes::SendEnv:
                for (const QString &word : option.words) {
                    if (!word.startsWith(u'-')) {
                        note(option, word);
                        continue;
                    }
                    const QStringView pattern = QStringView(word).sliced(1);
                    result.options.removeIf([&](const ResolvedOption &o) {
                        return o.keyword == keyword.name && Wildcard::matches(QStringView(o.value), pattern);
                    });
                }
                return;
            case Data::Takes::SetEnv:
                if (taken)
                    return;
                taken = 1;
                for (const QString &word : option.words) {
                    const QString name = word.section(u'=', 0, 0);
                    if (setEnvNames.contains(name))
                        continue;
                    setEnvNames.append(name);
                    note(option, word);
                }
                return;
            }
        }

        void noteConditional(const Data::Option &option)
        {
            const Data::Keyword &keyword = data.keywords[size_t(option.keyword)];
            const QString &name = keyword.name;
            if (keyword.known && !result.execKeywords.contains(name))
                result.execKeywords.append(name);
        }

        Activity hostActivity(const Data::HostLine &line) const
        {
            Activity activity = Inactive;
            for (const Data::Pattern &p : line.patterns) {
                if (matches(host, p)) {
                    if (p.negated)
                        return Inactive;
                    activity = Active;
                }
            }
            return activity;
        }

        Activity matchActivity(const Data::MatchLine &line)
        {
            if (!line.valid)
                return Inactive;
            // Until the final pass, Match host sees HostName as set so far.
            const QString matchHost = asciiLower(!final && !hostName.isEmpty() ? hostName : host);
            const QString &user = remoteUser.isEmpty() ? localUser : remoteUser;
            bool ok = true;
            bool conditional = false;
            for (const Data::Criterion &c : line.criteria) {
                bool r = true;
                switch (c.type) {
                case Data::Criterion::All:
                    return ok && !c.negated ? (conditional ? Conditional : Active) : Inactive;
                case Data::Criterion::Canonical:
                case Data::Criterion::Final:
                    r = final;
                    break;
                case Data::Criterion::Host:
                    r = matchList(matchHost, c.patterns);
                    break;
                case Data::Criterion::OriginalHost:
                    r = matchList(asciiLower(result.host), c.patterns);
                    break;
                case Data::Criterion::User:
                    r = matchList(user, c.patterns);
                    break;
                case Data::Criterion::LocalUser:
                    r = matchList(localUser, c.patterns);
                    break;
                case Data::Criterion::Exec:
                    // ssh runs the command only while everything before it matched.
                    if (ok) {
                        conditional = true;
                        if (!result.execCommands.contains(c.argument))
                            result.execCommands.append(c.argument);
                    }
                    continue;
                }
                if (r == c.negated)
                    ok = false;
            }
            return ok ? (conditional ? Conditional : Active) : Inactive;
        }

        void run()
        {
            Activity active = Active;
            Activity cap = Active; // an Include met where nothing applies: nothing in it can apply
            struct Saved {
                Activity active;
                Activity cap;
            };
            std::vector<Saved> stack;
            const size_t n = data.items.size();
            for (size_t i = 0; i < n; ++i) {
                const Data::Item &item = data.items[i];
                switch (item.kind) {
                case Data::Kind::Option:
                    if (active == Active)
                        apply(data.options[size_t(item.index)]);
                    else if (active == Conditional)
                        noteConditional(data.options[size_t(item.index)]);
                    break;
                case Data::Kind::Host:
                case Data::Kind::Match:
                    active = item.kind == Data::Kind::Host ? hostActivity(data.hosts[size_t(item.index)])
                                                           : matchActivity(data.matches[size_t(item.index)]);
                    active = std::min(active, cap);
                    if (active == Inactive)
                        i = size_t(item.next) - 1;
                    break;
                case Data::Kind::Enter:
                    if (active == Inactive) {
                        i = size_t(item.next) - 1;
                        break;
                    }
                    stack.push_back({active, cap});
                    cap = std::min(cap, active);
                    break;
                case Data::Kind::Top:
                    // Every file ssh reads on its own starts with everything applying.
                    active = cap = Active;
                    stack.clear();
                    break;
                case Data::Kind::Leave:
                    // A Match inside an included file does not change the including file's state.
                    active = stack.back().active;
                    cap = stack.back().cap;
                    stack.pop_back();
                    break;
                }
            }
        }
    };
} // namespace

const ResolvedOption *Resolution::find(QStringView keyword) const
{
    for (const ResolvedOption &option : options) {
        if (option.keyword == keyword)
            return &option;
    }
    return nullptr;
}

QList<const ResolvedOption *> Resolution::findAll(QStringView keyword) const
{
    QList<const ResolvedOption *> found;
    for (const ResolvedOption &option : options) {
        if (option.keyword == keyword)
            found.append(&option);
    }
    return found;
}

Resolution SSHResolver::resolve(const QString &destination, const QString &localUser) const
{
    Resolution result;
    result.destination = destination;
    const qsizetype at = destination.lastIndexOf(u'@');
    result.user = at > 0 ? destination.first(at) : QString();
    result.host = at > 0 ? destination.sliced(at + 1) : destination;

    Pass pass{*d,
              result,
              localUser,
              result.host,
              {},
              result.user,
              false,
              std::vector<char>(size_t(d->slotCount), 0),
              {}};
    // A user in the destination wins over every User line.
    if (!result.user.isEmpty() && d->userKeyword >= 0)
        pass.seen[size_t(d->keywords[size_t(d->userKeyword)].slot)] = 1;
    pass.run();

    // ssh reads the files again, now matching the final host name, when a Match line asks for
    // the final pass or host names are canonicalised.
    const ResolvedOption *canonicalize = result.find(u"canonicalizehostname");
    result.finalPass = d->wantsFinal || (canonicalize && asciiLower(canonicalize->value) != u"no"_s);
    if (result.finalPass) {
        pass.host = asciiLower(pass.hostName.isEmpty() ? result.host : pass.hostName);
        pass.hostName = pass.host;
        pass.final = true;
        if (d->hostNameKeyword >= 0)
            pass.seen[size_t(d->keywords[size_t(d->hostNameKeyword)].slot)] = 1;
        pass.run();
    }
    return result;
}

bool SSHResolver::hostMatches(QStringView host, QStringView patterns)
{
    QList<Data::Pattern> list;
    for (const QString &word : ConfigSyntax::arguments(patterns)) {
        Data::Pattern p;
        p.negated = word.startsWith(u'!');
        p.text = p.negated ? word.sliced(1) : word;
        p.literal = !p.text.contains(u'*') && !p.text.contains(u'?');
        list.append(p);
    }
    return matchList(host, list);
}
