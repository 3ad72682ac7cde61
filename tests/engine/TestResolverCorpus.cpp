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
    QString m_home, m_user, m_machine; // ssh expands ~ from the user record
};

namespace {
    using Output = QHash<QString, QStringList>; // keyword: every line ssh -G prints for it

    // clang-format off
    // What ssh's output cannot follow from the files alone; nothing here is about Host, Include or Match.
    const struct { const char *keyword, *reason; } knownDifferences[] = {
        {"hostname", "with CanonicalizeHostname ssh asks DNS, which the resolver never does"},
    };
    const QStringList accumulating{u"identityfile"_s, u"certificatefile"_s, u"localforward"_s, u"remoteforward"_s,
                                   u"dynamicforward"_s, u"sendenv"_s, u"setenv"_s};
    // clang-format on

    Output sshG(const QString &config, const QString &home, const QString &destination, int *exitCode)
    {
        Output values;
        const QList<QByteArray> lines = CorpusSupport::sshG(config, home, destination).split('\n');
        *exitCode = lines.value(0).mid(5).toInt();
        for (const QByteArray &line : lines.mid(1)) {
            if (const qsizetype space = line.indexOf(' '); space > 0)
                values[QString::fromUtf8(line.first(space))].append(QString::fromUtf8(line.sliced(space + 1)));
        }
        return values;
    }

    // "1h30m" in seconds, "2G" in bytes, as ssh prints them; empty for anything else.
    QString scaled(const QString &text, bool bytes)
    {
        static const QRegularExpression time(u"^(\\d+[smhdw]?)+$"_s), size(u"^\\d+[kmg]?$"_s), part(u"(\\d+)(\\D?)"_s);
        const QString units = bytes ? u"kmg"_s : u"smhdw"_s;
        const qint64 factors[2][5] = {{1, 60, 3600, 86400, 604800}, {1 << 10, 1 << 20, 1 << 30}};
        if (!(bytes ? size : time).match(text.toLower()).hasMatch())
            return {};
        qint64 total = 0;
        for (auto it = part.globalMatch(text.toLower()); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            total += m.captured(1).toLongLong()
                     * (m.captured(2).isEmpty() ? 1 : factors[bytes][units.indexOf(m.captured(2))]);
        }
        return QString::number(total);
    }

    // ssh's +, - and ^ forms of an algorithm list, applied to its default.
    QString algorithms(const QString &value, const QString &fallback)
    {
        if (value.isEmpty() || !u"+-^"_s.contains(value[0]))
            return value;
        QStringList list = fallback.split(u',');
        const QStringList named = value.mid(1).split(u',');
        list.removeIf([&](const QString &a) {
            return value.startsWith(u'^')
                       ? named.contains(a)
                       : value.startsWith(u'-') && std::any_of(named.cbegin(), named.cend(), [&](const QString &n) {
                             return QRegularExpression::fromWildcard(n, Qt::CaseSensitive).match(a).hasMatch();
                         });
        });
        for (const QString &n : named)
            if (value.startsWith(u'+') && !list.contains(n))
                list.append(n);
        return (value.startsWith(u'^') ? named + list : list).join(u',');
    }

    // Forwarding ends as ssh prints them: "[host]:port", a bare port or a path.
    QString forward(const QString &value)
    {
        static const QRegularExpression hostPort(u"^\\[?([^\\]]*?)\\]?:(\\d+)$"_s);
        QStringList ends = ConfigSyntax::arguments(value);
        for (QString &end : ends) {
            if (const QRegularExpressionMatch m = hostPort.match(end); m.hasMatch())
                end = u"[%1]:%2"_s.arg(m.captured(1).isEmpty() ? u"*"_s : m.captured(1), m.captured(2));
        }
        return ends.join(u' ');
    }

    // A host name of digits is an address to ssh, written out as inet_aton() reads it.
    QString address(const QString &value)
    {
        bool number = false;
        const quint32 a = value.toUInt(&number);
        return number ? u"%1.%2.%3.%4"_s.arg(a >> 24).arg((a >> 16) & 255).arg((a >> 8) & 255).arg(a & 255) : QString();
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
    char machine[256] = {};
    gethostname(machine, sizeof machine - 1);
    m_machine = QString::fromLocal8Bit(machine);
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
    QStringList destinations = m_destinations.value(name), fileKeywords;
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed(); // the split's views point into it
        const ConfigSyntax::KeywordSplit split = ConfigSyntax::splitKeyword(trimmed);
        const QString keyword = split.keyword.toString().toLower();
        const QStringList words = ConfigSyntax::arguments(split.rest);
        fileKeywords.append(keyword);
        // ~ and relative Include paths lie below the real home (ssh takes it from the user record),
        // where no test may look: such a file is only compared while nothing is there.
        for (const QString &target : keyword == u"include"_s ? words : QStringList()) {
            const QString real = target.startsWith(u'~') ? m_home + target.mid(1) : m_home + u"/.ssh/"_s + target;
            if (!target.startsWith(u'/') && QFileInfo::exists(QFileInfo(real).path()))
                QSKIP("includes files of the real home");
        }
        static const QRegularExpression wild(u"[*?!@]|^-"_s);
        for (const QString &p : keyword == u"host"_s ? words : QStringList()) {
            if (!p.contains(wild) && !destinations.contains(p))
                destinations.append(p);
        }
    }
    const SSHResolver resolver(text, f.config, m_home, m_home + u"/.ssh"_s);
    if (resolver.runsCommands())
        QSKIP("Match exec: ssh -G would run the file's commands");

    QStringList mismatches;
    for (const QString &destination : std::as_const(destinations)) {
        int code = 0;
        const Output theirs = sshG(f.config, f.home, destination, &code);
        if (code != 0)
            QSKIP(qPrintable(u"ssh refuses the file for "_s + destination));
        if (!m_defaults.contains(destination))
            m_defaults.insert(destination, sshG(u"/dev/null"_s, f.home, destination, &code));
        const Output &defaults = m_defaults[destination];
        const Resolution r = resolver.resolve(destination, m_user);
        const ResolvedOption *canonicalize = r.find(u"canonicalizehostname");
        const bool canonical = canonicalize && canonicalize->value.toLower() != u"no"_s;

        // The forms ssh may print a value in: ~ and % tokens expanded, flags, times, sizes, lists.
        auto forms = [&](const QString &keyword, const QString &ours) {
            static const QRegularExpression tilde(u"(^| )~(?=/| |$)"_s);
            const QString h = theirs.value(u"hostname"_s).value(0), p = theirs.value(u"port"_s).value(0),
                          u = theirs.value(u"user"_s).value(0);
            const QString hash = QString::fromLatin1(
                QCryptographicHash::hash((m_machine + h + p + u).toUtf8(), QCryptographicHash::Sha1).toHex());
            const QString tokens = u"hprnudilLCk%"_s;
            const QStringList values{h,
                                     p,
                                     u,
                                     r.host,
                                     m_user,
                                     m_home,
                                     QString::number(getuid()),
                                     m_machine,
                                     m_machine.section(u'.', 0, 0),
                                     hash,
                                     theirs.value(u"hostkeyalias"_s).value(0, h),
                                     u"%"_s};
            QString expanded = QString(ours).replace(tilde, u"\\1"_s + m_home), out;
            for (qsizetype i = 0; i < expanded.size(); ++i) {
                const qsizetype t = expanded[i] == u'%' ? tokens.indexOf(expanded.mid(i + 1, 1)) : -1;
                out += t < 0 ? QString(expanded[i]) : values[t];
                i += t < 0 ? 0 : 1;
            }
            const QString lower = ours.toLower();
            const QStringList words = ours.split(u' ', Qt::SkipEmptyParts);
            const QHash<QString, QString> flags{{u"yes"_s, u"true"_s},
                                                {u"true"_s, u"yes"_s},
                                                {u"no"_s, u"false"_s},
                                                {u"false"_s, u"no"_s}};
            return QStringList{ours,
                               lower,
                               ours.toUpper(),
                               out,
                               flags.value(lower),
                               scaled(ours, false),
                               keyword == u"rekeylimit"_s
                                   ? scaled(words.value(0), true) + u' ' + scaled(words.value(1, u"0"_s), false)
                                   : QString(),
                               keyword.endsWith(u"forward"_s) ? forward(ours) : QString(),
                               keyword == u"hostname"_s ? address(ours) : QString(),
                               algorithms(ours, defaults.value(keyword).value(0))};
        };

        QStringList keywords = theirs.keys();
        for (const ResolvedOption &o : r.options)
            keywords.append(o.keyword);
        keywords.removeDuplicates();
        for (const QString &keyword : std::as_const(keywords)) {
            QStringList ours;
            for (const ResolvedOption *o : r.findAll(keyword))
                ours.append(o->value);
            const QStringList ssh = theirs.value(keyword);
            bool same = ours.size() == ssh.size();
            if (ours.isEmpty()) // some defaults follow other keywords (UpdateHostKeys): only named ones count
                same = ssh == defaults.value(keyword) || !fileKeywords.contains(keyword);
            else if (ssh.isEmpty()) // not printed at all, or "none"
                same = !defaults.contains(keyword) || (ours.size() == 1 && ours[0].toLower() == u"none"_s);
            else if (!accumulating.contains(keyword))
                same = forms(keyword, ours[0]).contains(ssh.join(u' '));
            for (qsizetype i = 0; same && accumulating.contains(keyword) && i < ours.size(); ++i)
                same = forms(keyword, ours[i]).contains(ssh[i]);
            const bool known =
                std::any_of(std::begin(knownDifferences), std::end(knownDifferences), [&](const auto &k) {
                    return canonical && keyword == QLatin1StringView(k.keyword);
                });
            if (!same && !known)
                mismatches.append(u"%1 %2: resolver [%3], ssh [%4]"_s.arg(destination,
                                                                          keyword,
                                                                          ours.join(u" | "_s),
                                                                          ssh.join(u" | "_s)));
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"\n"_s)));
}

QTEST_GUILESS_MAIN(TestResolverCorpus)
#include "TestResolverCorpus.moc"
