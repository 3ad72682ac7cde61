#include "CorpusSupport.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHResolver.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Every corpus file, for every literal alias and listed destination: the resolver agrees with
// `ssh -G` on every keyword, once what ssh rewrites in its output is rewritten the same way.
class TestResolverCorpus final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void agreesWithSsh_data();
    void agreesWithSsh();

private:
    QHash<QString, QStringList> m_destinations; // file: the extra destinations DESTINATIONS.txt gives
    QHash<QString, QHash<QString, QStringList>> m_defaults; // destination: ssh -G without a config
    QString m_home; // ssh expands ~ from the user record
    QString m_user;
};

namespace {
    // clang-format off
    // Where ssh's output cannot follow from the files alone; nothing here is about Host, Include or Match.
    const struct { const char *file, *keyword, *reason; } knownDifferences[] = {
        {"*", "hostname", "CanonicalizeHostname asks DNS, which the resolver never does"},
    };
    // clang-format on

    const QStringList accumulating{u"identityfile"_s, u"certificatefile"_s, u"localforward"_s, u"remoteforward"_s,
                                   u"dynamicforward"_s, u"sendenv"_s, u"setenv"_s};

    QHash<QString, QStringList> parseOutput(const QByteArray &output, int *exitCode)
    {
        QHash<QString, QStringList> values;
        const QList<QByteArray> lines = output.split('\n');
        *exitCode = lines.value(0).mid(5).toInt();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString line = QString::fromUtf8(lines[i]);
            const qsizetype space = line.indexOf(u' ');
            if (space > 0)
                values[line.first(space)].append(line.sliced(space + 1));
        }
        return values;
    }

    std::optional<qint64> scaled(const QString &text, const QString &units, const QList<qint64> &factors)
    {
        static const QRegularExpression part(u"(\\d+)([a-zA-Z]?)"_s);
        qint64 total = 0;
        qsizetype at = 0;
        for (auto it = part.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedStart() != at)
                return std::nullopt;
            at = m.capturedEnd();
            const qsizetype unit = m.captured(2).isEmpty() ? 0 : units.indexOf(m.captured(2).toLower()) + 1;
            if (unit < 0 || (unit == 0 && !m.captured(2).isEmpty()))
                return std::nullopt;
            total += m.captured(1).toLongLong() * factors[unit];
        }
        return at == text.size() && at > 0 ? std::optional(total) : std::nullopt;
    }

    // "port", "host:port", "[host]:port", "host/port" or a path, as ssh -G prints a forwarding end.
    QString forwardEnd(const QString &end)
    {
        if (end.contains(u'/') && !end.contains(u':'))
            return end;
        static const QRegularExpression hostPort(u"^\\[?([^\\]]*?)\\]?[:/](\\d+)$"_s);
        const QRegularExpressionMatch m = hostPort.match(end);
        if (!m.hasMatch())
            return end;
        return u"[%1]:%2"_s.arg(m.captured(1).isEmpty() ? u"*"_s : m.captured(1), m.captured(2));
    }

    QString forward(const QString &value)
    {
        QStringList ends = ConfigSyntax::arguments(value);
        for (QString &end : ends)
            end = forwardEnd(end);
        return ends.join(u' ');
    }

    // ssh's +, - and ^ forms of an algorithm list, applied to its default.
    QString algorithms(const QString &value, const QString &fallback)
    {
        QStringList list = fallback.split(u',');
        const QStringList named = value.mid(1).split(u',');
        if (value.startsWith(u'+')) {
            for (const QString &n : named)
                if (!list.contains(n))
                    list.append(n);
        } else if (value.startsWith(u'-')) {
            list.removeIf([&](const QString &a) {
                return std::any_of(named.cbegin(), named.cend(), [&](const QString &n) {
                    return QRegularExpression::fromWildcard(n, Qt::CaseSensitive).match(a).hasMatch();
                });
            });
        } else if (value.startsWith(u'^')) {
            list.removeIf([&](const QString &a) {
                return named.contains(a);
            });
            list = named + list;
        } else {
            return value;
        }
        return list.join(u',');
    }
} // namespace

void TestResolverCorpus::initTestCase()
{
    QVERIFY2(QFileInfo(CorpusSupport::corpusDir()).isDir(), "the corpus beside the checkout is missing");
    QVERIFY2(QFileInfo(u"/usr/bin/ssh"_s).isExecutable(), "ssh -G needs /usr/bin/ssh");
    const passwd *pw = getpwuid(getuid());
    QVERIFY(pw);
    m_home = QString::fromLocal8Bit(pw->pw_dir);
    m_user = QString::fromLocal8Bit(pw->pw_name);
    const QString list = QString::fromUtf8(TestSupport::readFile(CorpusSupport::corpusDir() + u"/DESTINATIONS.txt"_s));
    for (const QString &line : list.split(u'\n')) {
        QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty() && !words.constFirst().startsWith(u'#'))
            m_destinations.insert(words.takeFirst(), words);
    }
}

void TestResolverCorpus::agreesWithSsh_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : QDir(CorpusSupport::corpusDir()).entryList({u"*.conf"_s}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << name;
}

void TestResolverCorpus::agreesWithSsh()
{
    QFETCH(QString, name);
    CorpusSupport::Fixture f(CorpusSupport::corpusDir(), name);
    const QString text = QString::fromUtf8(f.bytes);
    QStringList destinations = m_destinations.value(name);
    QStringList fileKeywords; // lower-case, as written
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        const ConfigSyntax::KeywordSplit split = ConfigSyntax::splitKeyword(trimmed);
        if (!split.keyword.isEmpty() && !split.keyword.startsWith(u'#'))
            fileKeywords.append(split.keyword.toString().toLower());
        // Both read ~ and relative Include paths below the real home (ssh takes it from the user
        // record), where no test may look: such a file is only compared while nothing is there.
        if (split.keyword.compare(u"include"_s, Qt::CaseInsensitive) == 0) {
            for (const QString &target : ConfigSyntax::arguments(split.rest)) {
                const QString real = target.startsWith(u'~') ? m_home + target.mid(1) : m_home + u"/.ssh/"_s + target;
                if (!target.startsWith(u'/') && QFileInfo::exists(QFileInfo(real).path()))
                    QSKIP("includes files of the real home");
            }
        }
        if (split.keyword.compare(u"host"_s, Qt::CaseInsensitive) != 0)
            continue;
        for (const QString &p : ConfigSyntax::arguments(split.rest)) {
            static const QRegularExpression wild(u"[*?!@]|^-"_s);
            if (!p.contains(wild) && !destinations.contains(p))
                destinations.append(p);
        }
    }

    const SSHResolver resolver(text, f.config, m_home, m_home + u"/.ssh"_s);
    if (resolver.runsCommands())
        QSKIP("Match exec: ssh -G would run the file's commands");

    QStringList mismatches;
    int compared = 0;
    for (const QString &destination : std::as_const(destinations)) {
        int code = 0;
        const QHash<QString, QStringList> theirs =
            parseOutput(CorpusSupport::sshG(f.config, f.home, destination), &code);
        if (code != 0)
            QSKIP(qPrintable(u"ssh refuses the file for "_s + destination));
        if (!m_defaults.contains(destination)) {
            int ignored = 0;
            m_defaults.insert(destination,
                              parseOutput(CorpusSupport::sshG(u"/dev/null"_s, f.home, destination), &ignored));
        }
        const QHash<QString, QStringList> &defaults = m_defaults[destination];
        const Resolution resolution = resolver.resolve(destination, m_user);

        const QString host = theirs.value(u"hostname"_s).value(0);
        const QString port = theirs.value(u"port"_s).value(0);
        const QString user = theirs.value(u"user"_s).value(0);
        char machine[256] = {};
        gethostname(machine, sizeof machine - 1);
        const QString thisHost = QString::fromLocal8Bit(machine);
        auto expanded = [&](QString value) {
            // ~ and the % tokens ssh expands before printing some keywords.
            static const QRegularExpression tilde(u"(^| )~(?=/| |$)"_s);
            value.replace(tilde, u"\\1"_s + m_home);
            if (!value.contains(u'%'))
                return value;
            const QString jump = theirs.value(u"proxyjump"_s).value(0);
            const QString hash = QString::fromLatin1(
                QCryptographicHash::hash((thisHost + host + port + user).toUtf8(), QCryptographicHash::Sha1).toHex());
            const QHash<QChar, QString> tokens{
                {u'h', host},
                {u'p', port},
                {u'r', user},
                {u'n', resolution.host},
                {u'u', m_user},
                {u'd', m_home},
                {u'i', QString::number(getuid())},
                {u'l', thisHost},
                {u'L', thisHost.section(u'.', 0, 0)},
                {u'C', hash},
                {u'k', theirs.value(u"hostkeyalias"_s).value(0, host)},
                {u'j', jump},
                {u'%', u"%"_s},
            };
            QString out;
            for (qsizetype i = 0; i < value.size(); ++i) {
                if (value[i] == u'%' && i + 1 < value.size() && tokens.contains(value[i + 1]))
                    out += tokens[value[++i]];
                else
                    out += value[i];
            }
            return out;
        };
        auto agrees = [&](const QString &keyword, const QString &ours, const QString &ssh) {
            if (ours == ssh || expanded(ours) == ssh || ours.compare(ssh, Qt::CaseInsensitive) == 0)
                return true;
            // ssh prints some flags as true and false.
            const QString lower = ours.toLower();
            if (((lower == u"true"_s || lower == u"yes"_s) && (ssh == u"yes"_s || ssh == u"true"_s))
                || ((lower == u"false"_s || lower == u"no"_s) && (ssh == u"no"_s || ssh == u"false"_s)))
                return true;
            // A host name of digits is an address to ssh, written out as inet_aton() reads it.
            if (static const QRegularExpression number(u"^\\d+$"_s);
                keyword == u"hostname"_s && number.match(ours).hasMatch()) {
                const quint32 a = ours.toUInt();
                if (u"%1.%2.%3.%4"_s.arg(a >> 24).arg((a >> 16) & 255).arg((a >> 8) & 255).arg(a & 255) == ssh)
                    return true;
            }
            // Times in seconds, sizes in bytes; one IPQoS value stands for both.
            const auto seconds = scaled(ours, u"smhdw"_s, {1, 1, 60, 3600, 86400, 604800});
            if (seconds && QString::number(*seconds) == ssh)
                return true;
            const QStringList words = ours.split(u' ', Qt::SkipEmptyParts);
            if (keyword == u"rekeylimit"_s) {
                const auto bytes = scaled(words.value(0), u"kmg"_s, {1, 1024, 1024 * 1024, 1024 * 1024 * 1024});
                const auto time = words.size() > 1 ? scaled(words[1], u"smhdw"_s, {1, 1, 60, 3600, 86400, 604800})
                                                   : std::optional<qint64>(0);
                if (bytes && time && u"%1 %2"_s.arg(*bytes).arg(*time) == ssh)
                    return true;
            }
            if (keyword.endsWith(u"forward"_s) && forward(ours) == ssh)
                return true;
            return algorithms(ours, defaults.value(keyword).value(0)) == ssh;
        };

        QStringList keywords = theirs.keys();
        for (const ResolvedOption &o : resolution.options)
            if (!keywords.contains(o.keyword))
                keywords.append(o.keyword);
        for (const QString &keyword : std::as_const(keywords)) {
            QStringList ours;
            for (const ResolvedOption *o : resolution.findAll(keyword))
                ours.append(o->value);
            const QStringList ssh = theirs.value(keyword);
            bool same = true;
            if (ours.isEmpty()) {
                // Some defaults follow other keywords (UpdateHostKeys): only those the file names count.
                same = ssh == defaults.value(keyword) || keyword == u"hostname"_s || !fileKeywords.contains(keyword)
                       || (keyword == u"user"_s && ssh.value(0) == resolution.user);
            } else if (ssh.isEmpty() && !defaults.contains(keyword)) {
                continue; // a keyword ssh takes but does not print
            } else if (ssh.isEmpty()) {
                same = ours.size() == 1 && ours[0].compare(u"none"_s, Qt::CaseInsensitive) == 0;
            } else if (accumulating.contains(keyword)) {
                same = ours.size() == ssh.size();
                for (qsizetype i = 0; same && i < ours.size(); ++i)
                    same = agrees(keyword, ours[i], ssh[i]);
            } else {
                same = agrees(keyword, ours.constFirst(), ssh.join(u' '));
            }
            ++compared;
            if (same)
                continue;
            const bool known =
                std::any_of(std::begin(knownDifferences), std::end(knownDifferences), [&](const auto &k) {
                    return (QLatin1StringView(k.file) == name || QLatin1StringView(k.file) == "*"_L1)
                           && QLatin1StringView(k.keyword) == keyword && resolution.find(u"canonicalizehostname")
                           && resolution.find(u"canonicalizehostname")->value.compare(u"no"_s, Qt::CaseInsensitive)
                                  != 0;
                });
            if (!known)
                mismatches.append(u"%1 %2: resolver [%3], ssh [%4]"_s.arg(destination,
                                                                          keyword,
                                                                          ours.join(u" | "_s),
                                                                          ssh.join(u" | "_s)));
        }
    }
    QVERIFY(compared > 0);
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"\n"_s)));
}

QTEST_GUILESS_MAIN(TestResolverCorpus)
#include "TestResolverCorpus.moc"
