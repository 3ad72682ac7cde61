#include "EngineTest.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHResolver.h"

#include <QRegularExpression>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

// Every corpus file, for every literal alias and listed destination: ssh given the resolver's
// answer on its command line (-F /dev/null -o keyword=value ...) prints what it prints when it
// reads the file itself. ssh rewrites both the same way (tokens, ~, units, yes/no, algorithm
// lists), and keywords the resolver misses or adds show as a difference.
class TestResolverCorpus final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void agreesWithSsh_data();
    void agreesWithSsh();

private:
    QHash<QString, QStringList> m_destinations; // file: the extra destinations DESTINATIONS.txt gives
    QString m_home, m_user; // ssh expands ~ from the user record
};

namespace {
    // The resolver's values as ssh options, written so that ssh splits them as the file did.
    QStringList commandLine(const Resolution &resolution)
    {
        QStringList options, setEnv;
        for (const ResolvedOption &o : resolution.options) {
            // Commands and jump hosts as written: ssh takes the rest of the line.
            const bool asWritten = o.keyword.endsWith(u"command"_s) || o.keyword == u"proxyjump"_s;
            if (o.keyword == u"setenv"_s) // one line, or ssh keeps only the first
                setEnv.append(o.value.contains(u' ') ? u'"' + o.value + u'"' : o.value);
            else
                options << u"-o"_s
                        << o.keyword + u'=' + (asWritten ? o.value : ConfigSyntax::writtenValue(o.keyword, o.value));
        }
        if (!setEnv.isEmpty())
            options << u"-o"_s << u"setenv="_s + setEnv.join(u' ');
        return options;
    }
} // namespace

void TestResolverCorpus::initTestCase()
{
    QVERIFY2(QFileInfo(corpusDir()).isDir(), "the corpus beside the checkout is missing");
    QVERIFY2(QFileInfo(u"/usr/bin/ssh"_s).isExecutable(), "ssh -G needs /usr/bin/ssh");
    const passwd *pw = getpwuid(getuid());
    QVERIFY(pw);
    m_home = QString::fromLocal8Bit(pw->pw_dir);
    m_user = QString::fromLocal8Bit(pw->pw_name);
    const QString list = QString::fromUtf8(readFile(corpusDir() + u"/DESTINATIONS.txt"_s));
    for (const QString &line : list.split(u'\n')) {
        QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty() && !words.constFirst().startsWith(u'#'))
            m_destinations.insert(words.takeFirst(), words);
    }
}

void TestResolverCorpus::agreesWithSsh_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : QDir(corpusDir()).entryList({u"*.conf"_s}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << name;
}

void TestResolverCorpus::agreesWithSsh()
{
    QFETCH(QString, name);
    Fixture f(corpusDir(), name);
    const QString text = QString::fromUtf8(f.bytes);
    QStringList destinations = m_destinations.value(name);
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed(); // the split's views point into it
        const ConfigSyntax::KeywordSplit split = ConfigSyntax::splitKeyword(trimmed);
        const QString keyword = split.keyword.toString().toLower();
        const QStringList words = ConfigSyntax::arguments(split.rest);
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
        const Resolution r = resolver.resolve(destination, m_user);
        const ResolvedOption *canonicalize = r.find(u"canonicalizehostname");
        const bool canonical = canonicalize && canonicalize->value.toLower() != u"no"_s;
        const QList<QByteArray> file = sshG(f.config, f.home, destination).split('\n');
        const QList<QByteArray> resolved = sshG(u"/dev/null"_s, f.home, destination, commandLine(r)).split('\n');
        // Canonicalizing asks DNS, which may answer late or never where the tests run.
        if (canonical && (file.value(0) == "timed out" || resolved.value(0) == "timed out"))
            continue;
        if (file.value(0) != "exit 0")
            QSKIP(qPrintable(u"ssh refuses the file for "_s + destination));
        for (qsizetype i = 0; i < std::max(file.size(), resolved.size()); ++i) {
            const QString ours = QString::fromUtf8(resolved.value(i)), theirs = QString::fromUtf8(file.value(i));
            // With CanonicalizeHostname ssh asks DNS for the host name; the resolver never does.
            const bool known = canonical && theirs.startsWith(u"hostname "_s);
            if (ours != theirs && !known)
                mismatches.append(u"%1: resolved [%2], file [%3]"_s.arg(destination, ours, theirs));
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"\n"_s)));
}

QTEST_GUILESS_MAIN(TestResolverCorpus)
#include "TestResolverCorpus.moc"
