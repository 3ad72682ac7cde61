#include "EngineTest.h"
#include "engine/SSHConfigModel.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

namespace {
    // One line as ssh reads it (ASCII blanks; the keyword ends at a blank or "="), kept apart from
    // the engine's reader so that the two can disagree.
    struct Line {
        // clang-format off
        enum Kind { Blank, Comment, Host, Match, Option } kind = Blank;
        // clang-format on
        QStringList patterns; // of a Host line, up to a comment

        explicit Line(const QByteArray &raw)
        {
            static const QRegularExpression head(u"^[ \\t\\r\\f]*(#?)([^ \\t\\r\\f=]*)[ \\t\\r\\f]*=?[ \\t\\r\\f]*"_s);
            static const QRegularExpression token(u"[^ \\t\\r\\f]+"_s);
            const QString text = QString::fromUtf8(raw);
            const QRegularExpressionMatch m = head.match(text);
            const QString keyword = m.captured(2);
            if (!m.captured(1).isEmpty() || keyword.isEmpty()) {
                kind = m.captured(1).isEmpty() ? Blank : Comment;
                return;
            }
            kind = keyword.compare(u"host"_s, Qt::CaseInsensitive) == 0    ? Host
                   : keyword.compare(u"match"_s, Qt::CaseInsensitive) == 0 ? Match
                                                                           : Option;
            for (auto it = token.globalMatch(text, m.capturedEnd()); kind == Host && it.hasNext();) {
                const QString t = it.next().captured();
                if (t.startsWith(u'#'))
                    break;
                patterns.append(t);
            }
        }
    };

    // The file's lines and where each section (Host block or Match section) lies.
    struct Layout {
        QList<QByteArray> raw;
        QList<Line> lines;
        QList<qsizetype> headers, hosts; // Host and Match lines; Host lines only, the model's blocks

        explicit Layout(const QByteArray &text)
            : raw(text.split('\n'))
        {
            for (const QByteArray &r : std::as_const(raw)) {
                lines.append(Line(r));
                if (lines.last().kind == Line::Host || lines.last().kind == Line::Match)
                    headers.append(lines.size() - 1);
                if (lines.last().kind == Line::Host)
                    hosts.append(lines.size() - 1);
            }
        }
        // A section starts at its header, or at the comment run right above it after a blank line.
        qsizetype sectionStart(qsizetype header) const
        {
            qsizetype j = header;
            while (j > 0 && lines[j - 1].kind == Line::Comment)
                --j;
            return j == 0 || lines[j - 1].kind == Line::Blank ? j : header;
        }
        std::pair<qsizetype, qsizetype> blockRange(qsizetype block) const
        {
            const auto next = std::upper_bound(headers.cbegin(), headers.cend(), hosts[block]);
            return {sectionStart(hosts[block]), next == headers.cend() ? raw.size() : sectionStart(*next)};
        }
    };

    // old[at, at + removed) became new[at, at + inserted); the rest is equal.
    struct Change {
        qsizetype at, removed, inserted;
    };
    Change diff(const QList<QByteArray> &a, const QList<QByteArray> &b)
    {
        qsizetype p = 0, s = 0;
        while (p < a.size() && p < b.size() && a[p] == b[p])
            ++p;
        while (s < a.size() - p && s < b.size() - p && a[a.size() - 1 - s] == b[b.size() - 1 - s])
            ++s;
        return {p, a.size() - p - s, b.size() - p - s};
    }
    QString firstDifference(const QByteArray &expected, const QByteArray &actual)
    {
        const Layout a(expected), b(actual);
        const Change c = diff(a.raw, b.raw);
        return u"line %1: expected \"%2\", got \"%3\""_s.arg(c.at + 1).arg(
            QString::fromUtf8(a.raw.mid(c.at, c.removed).join("⏎")),
            QString::fromUtf8(b.raw.mid(c.at, c.inserted).join("⏎")));
    }

    // ssh's glob with case ignored and negations left out: matches at least what ssh matches.
    bool mayMatch(const QStringList &patterns, const QString &host)
    {
        return std::any_of(patterns.cbegin(), patterns.cend(), [&](const QString &p) {
            const QString re = QRegularExpression::escape(p).replace(u"\\*"_s, u".*"_s).replace(u"\\?"_s, u"."_s);
            return !p.startsWith(u'!')
                   && QRegularExpression(QRegularExpression::anchoredPattern(re),
                                         QRegularExpression::CaseInsensitiveOption)
                          .match(host)
                          .hasMatch();
        });
    }

    // clang-format off
    enum class Op { Set, Values, Rename, AddBlock, Duplicate, Remove };
    // clang-format on
    struct Edit {
        Op op = Op::Set;
        int block = 0;
        QString key, value;
        QStringList values;

        std::optional<QUuid> apply(SSHConfigModel &model) const
        {
            const QUuid id = op == Op::AddBlock ? QUuid() : model.blocks().at(block).id;
            if (op == Op::Set)
                model.setOption(id, key, value);
            if (op == Op::Values)
                model.setOptionValues(id, key, values);
            if (op == Op::Rename)
                model.setPattern(id, value);
            if (op == Op::Remove)
                model.removeBlock(id);
            return op == Op::AddBlock ? model.addBlock(value) : op == Op::Duplicate ? model.duplicateBlock(id) : id;
        }
    };

    // clang-format off
    // New options the random edits add; each is valid for ssh in any block.
    const QList<std::pair<QString, QString>> addable{
        {u"ConnectTimeout"_s, u"10"_s}, {u"AddressFamily"_s, u"inet"_s}, {u"ForwardAgent"_s, u"no"_s},
        {u"ServerAliveInterval"_s, u"30"_s}, {u"Compression"_s, u"yes"_s}, {u"LogLevel"_s, u"ERROR"_s},
        {u"BatchMode"_s, u"yes"_s}, {u"EscapeChar"_s, u"none"_s}, {u"IgnoreUnknown"_s, u"UseKeychain"_s}};
    // clang-format on
} // namespace

Q_DECLARE_METATYPE(Edit)

// Real client configurations: an unchanged load and save keeps every byte, and random edits through
// the model change only the lines of the edited block and nothing ssh reads for the other hosts.
class TestConfigCorpus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void randomEditsStayLocal_data();
    void randomEditsStayLocal();
    void editShapes_data();
    void editShapes();

private:
    void randomEdit(SSHConfigModel &model, const Fixture &f, QRandomGenerator &random, int step, const QString &where);

    QString m_corpus = corpusDir();
    QStringList m_files;
    QHash<QString, QStringList> m_corpusValues; // lower-case option name: values seen in the corpus
};

void TestConfigCorpus::initTestCase()
{
    QVERIFY2(QFileInfo(m_corpus).isDir(), qPrintable(u"corpus folder missing: "_s + m_corpus));
    QVERIFY2(QFileInfo(u"/usr/bin/ssh"_s).isExecutable(), "ssh -G needs /usr/bin/ssh");
    m_files = QDir(m_corpus).entryList({u"*.conf"_s}, QDir::Files, QDir::Name);
    QVERIFY(!m_files.isEmpty());
    for (const QString &name : std::as_const(m_files)) {
        Fixture f(m_corpus, name);
        SSHConfigModel model(f.config);
        for (const HostBlock &b : model.blocks())
            for (const HostOption &o : b.options)
                m_corpusValues[o.name.toLower()].append(o.value);
    }
}

void TestConfigCorpus::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : std::as_const(m_files))
        QTest::newRow(qPrintable(name)) << name;
}

void TestConfigCorpus::roundTrip()
{
    QFETCH(QString, name);
    Fixture f(m_corpus, name);
    // A byte-identical save leaves ssh nothing to read differently.
    {
        SSHConfigModel model(f.config);
        QCOMPARE(model.blocks().size(), Layout(f.bytes).hosts.size());
        QVERIFY2(model.text() == f.bytes, qPrintable(firstDifference(f.bytes, model.text())));
        model.save();
        QVERIFY2(!model.errorMessage(), qPrintable(model.errorMessage().value_or(QString())));
    }
    const QByteArray saved = readFile(f.config);
    QVERIFY2(saved == f.bytes, qPrintable(firstDifference(f.bytes, saved)));
    QCOMPARE(QDir(f.dir.path()).entryList({u"config.bak.*"_s}, QDir::Files).size(), 1);
}

void TestConfigCorpus::randomEditsStayLocal_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("seed");
    // KORVEL_CORPUS_SEED replays a reported seed: test_configcorpus randomEditsStayLocal:<file>
    const quint32 replay = quint32(qEnvironmentVariableIntValue("KORVEL_CORPUS_SEED"));
    for (qsizetype i = 0; i < m_files.size(); ++i)
        QTest::newRow(qPrintable(m_files[i])) << m_files[i] << (replay ? replay : quint32(7001 + i));
}

void TestConfigCorpus::randomEditsStayLocal()
{
    QFETCH(QString, name);
    QFETCH(quint32, seed);
    Fixture f(m_corpus, name);
    QRandomGenerator random(seed);
    SSHConfigModel model(f.config);
    for (int step = 0; step < 8 && !QTest::currentTestFailed(); ++step)
        randomEdit(model, f, random, step, u"%1 seed %2 step %3"_s.arg(name).arg(seed).arg(step));
}

void TestConfigCorpus::randomEdit(SSHConfigModel &model,
                                  const Fixture &f,
                                  QRandomGenerator &random,
                                  int step,
                                  const QString &where)
{
    const QByteArray oldText = model.text();
    const QList<HostBlock> oldBlocks = model.blocks();
    const Layout old(oldText);
    QVERIFY2(old.hosts.size() == oldBlocks.size(), qPrintable(where + u": Host lines and blocks differ"_s));

    const auto pick = [&](const auto &list) {
        return list.at(random.bounded(int(list.size())));
    };
    Edit e{oldBlocks.isEmpty() ? Op::AddBlock : Op(random.bounded(6)), -1, {}, {}, {}};
    if (e.op != Op::AddBlock)
        e.block = random.bounded(int(oldBlocks.size()));
    const HostBlock &source = oldBlocks.value(e.block);
    if (e.op == Op::Set) {
        const int kind = random.bounded(4);
        if (kind < 2 && !source.options.isEmpty()) {
            // Clear an option, or give it a value another corpus file has for it (never a new
            // Include: the files it pulls in could break every host).
            e.key = pick(source.options).name;
            const QStringList seen = m_corpusValues.value(e.key.toLower());
            if (kind == 1 && !seen.isEmpty() && e.key.compare(u"Include"_s, Qt::CaseInsensitive) != 0)
                e.value = pick(seen);
            if (kind == 1 && (e.value.isEmpty() || e.value == source.value(e.key)))
                e.key.clear();
        } else if (const auto &[key, value] = pick(addable); kind == 2 && !source.value(key)) {
            e.key = key;
            e.value = value;
        }
        if (e.key.isEmpty()) {
            e.key = pick(QStringList{u"User"_s, u"Port"_s, u"HostName"_s, u"IdentityFile"_s});
            e.value = e.key == u"Port"_s ? QString::number(2000 + step) : u"k%1.test"_s.arg(step);
        }
    } else if (e.op == Op::Values) {
        e.key = pick(QStringList{u"IdentityFile"_s, u"LocalForward"_s, u"SendEnv"_s});
        for (int n = 1 + random.bounded(3); n > 0; --n)
            e.values.append(e.key == u"LocalForward"_s ? u"%1 localhost:22"_s.arg(4000 + 10 * step + n)
                                                       : u"K%1_%2"_s.arg(step).arg(n));
    } else if (e.op == Op::Rename || e.op == Op::AddBlock) {
        e.value = u"korvel-%1-%2"_s.arg(step).arg(random.bounded(1000));
    }
    const char *const ops[] = {"set", "values", "rename", "add", "duplicate", "remove"};
    const QString what = u"%1: %2 block %3 %4 [%5]"_s.arg(where)
                             .arg(QLatin1StringView(ops[int(e.op)]))
                             .arg(e.block)
                             .arg(e.key, e.op == Op::Values ? e.values.join(u'|') : e.value);

    // ssh -G for a few aliases of other blocks that the edited block's patterns cannot match.
    QStringList touched = e.op == Op::AddBlock ? QStringList{e.value} : old.lines[old.hosts[e.block]].patterns;
    if (e.op == Op::Rename)
        touched.append(e.value);
    if (e.op == Op::Duplicate) // the copy's last pattern, numbered or not
        touched.append(touched.value(touched.size() - 1) + u"-copy*"_s);
    static const QRegularExpression wild(u"[*?!@]|^-"_s);
    QStringList aliases;
    for (qsizetype i = 0; i < old.hosts.size(); ++i)
        for (const QString &p : old.lines[old.hosts[i]].patterns)
            if (i != e.block && !p.contains(wild) && !mayMatch(touched, p) && !aliases.contains(p))
                aliases.append(p);
    while (aliases.size() > (step < 2 ? 3 : 0))
        aliases.removeAt(random.bounded(int(aliases.size())));
    QByteArrayList before;
    for (const QString &a : std::as_const(aliases))
        before.append(sshG(f.config, f.home, a));

    const std::optional<QUuid> result = e.apply(model);
    const QByteArray newText = model.text();
    const Change c = diff(old.raw, Layout(newText).raw);
    const QString shown = what + u": "_s + firstDifference(oldText, newText);
    // The exact shape of each edit is editShapes' business; here only where it lands. A removed
    // last block also takes the blank lines before it; a copy may show rotated in the diff.
    auto [start, end] = e.block < 0 ? std::pair<qsizetype, qsizetype>{} : old.blockRange(e.block);
    while (e.op == Op::Remove && end == old.raw.size() && start > 0 && old.lines[start - 1].kind == Line::Blank)
        --start;
    if (e.op == Op::AddBlock || e.op == Op::Duplicate)
        QVERIFY2(result && c.removed == 0 && (e.block < 0 || (c.at > start && c.at <= end + c.inserted)),
                 qPrintable(shown));
    else
        QVERIFY2(c.at >= start && c.at + c.removed <= end && (e.op != Op::Set || (c.removed <= 1 && c.inserted <= 1))
                     && (e.op != Op::Remove || c.inserted == 0 || newText.isEmpty())
                     && (e.op != Op::Rename || (c.at == old.hosts[e.block] && c.removed == 1 && c.inserted == 1)),
                 qPrintable(shown));

    QList<HostBlock> expected = oldBlocks;
    QList<HostOption> *options = e.block < 0 ? nullptr : &expected[e.block].options;
    const auto sameKey = [&](const HostOption &o) {
        return SSHKeyword::equal(o.name, e.key);
    };
    const auto it = options ? std::find_if(options->begin(), options->end(), sameKey) : QList<HostOption>::iterator();
    if (e.op == Op::Values || (e.op == Op::Set && it == options->end())) {
        // The key's lines as asked, the others as they were; where new lines sit is the engine's choice.
        const HostBlock &got = model.blocks().at(e.block);
        QList<HostOption> others = got.options;
        others.removeIf(sameKey);
        options->removeIf(sameKey);
        const QStringList values = e.op == Op::Set ? QStringList{e.value} : e.values;
        QVERIFY2(got.values(e.key) == values && others == *options, qPrintable(shown));
        *options = got.options;
    } else if (e.op == Op::Set && e.value.isEmpty()) {
        options->erase(it);
    } else if (e.op == Op::Set) {
        it->value = e.value;
    } else if (e.op == Op::Rename) {
        expected[e.block].pattern = e.value;
    } else if (e.op == Op::AddBlock) {
        qsizetype index = 0;
        while (model.blocks().at(index).id != *result)
            ++index;
        expected.insert(index, HostBlock{*result, e.value, {}});
    } else if (e.op == Op::Duplicate) {
        // Named "-copy", numbered when that name is taken.
        const QString name = model.blocks().value(e.block + 1).pattern;
        const QRegularExpression copyName(u"^"_s + QRegularExpression::escape(source.pattern) + u"-copy\\d*$"_s);
        QVERIFY2(copyName.match(name).hasMatch(), qPrintable(shown + u", named "_s + name));
        expected.insert(e.block + 1, HostBlock{*result, name, source.options});
    } else if (e.op == Op::Remove) {
        expected.removeAt(e.block);
    }
    QVERIFY2(
        model.blocks() == expected,
        qPrintable(what + u": blocks\n  "_s + describe(model.blocks()) + u"\nexpected\n  "_s + describe(expected)));

    model.save();
    QVERIFY2(!model.errorMessage(), qPrintable(what + u": "_s + model.errorMessage().value_or(QString())));
    QVERIFY2(readFile(f.config) == newText, qPrintable(what + u": saved text differs from text()"_s));
    SSHConfigModel reloaded(f.config);
    QVERIFY2(describe(reloaded.blocks()) == describe(expected),
             qPrintable(what + u": reloaded\n  "_s + describe(reloaded.blocks()) + u"\nexpected\n  "_s
                        + describe(expected)));

    for (qsizetype i = 0; i < aliases.size(); ++i) {
        // ssh matches Host lines again against the final host name (canonicalisation, Match final).
        const qsizetype at = before[i].indexOf("\nhostname ") + 10;
        if (!mayMatch(touched, QString::fromUtf8(before[i].mid(at, before[i].indexOf('\n', at) - at))))
            QVERIFY2(sshG(f.config, f.home, aliases[i]) == before[i], qPrintable(what + u": ssh -G "_s + aliases[i]));
    }
}

void TestConfigCorpus::editShapes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("expected");
    const auto set = [](int block, const QString &key, const QString &value) {
        return Edit{Op::Set, block, key, value, {}};
    };
    const auto edit = [](Op op, int block, const QString &value = {}, const QStringList &values = {}) {
        return Edit{op, block, u"IdentityFile"_s, value, values};
    };
    // clang-format off
    QTest::newRow("value after =") << "Host a\n\tuser=deploy\n"_ba << set(0, u"User"_s, u"ops"_s) << "Host a\n\tuser=ops\n"_ba;
    QTest::newRow("CR LF kept") << "Host a\r\n  User x\r\n"_ba << set(0, u"Port"_s, u"22"_s) << "Host a\r\n  User x\r\n  Port 22\r\n"_ba;
    QTest::newRow("no final break, new") << "Host a\n  User x\n\nHost b\n  User y"_ba << set(1, u"Port"_s, u"2"_s) << "Host a\n  User x\n\nHost b\n  User y\n  Port 2"_ba;
    QTest::newRow("no final break, edit") << "Host b\n  User y"_ba << set(0, u"User"_s, u"z"_s) << "Host b\n  User z"_ba;
    QTest::newRow("no final break, remove") << "Host a\n  User x\n\nHost b\n  User y"_ba << edit(Op::Remove, 1) << "Host a\n  User x"_ba;
    QTest::newRow("clear keeps comment") << "Host a\n  # deploy account\n  User x\n  Port 2\n"_ba << set(0, u"User"_s, {}) << "Host a\n  # deploy account\n  Port 2\n"_ba;
    QTest::newRow("after earlier name") << "Host a\n\thostname h\n\tport 2\n"_ba << set(0, u"User"_s, u"u"_s) << "Host a\n\thostname h\n\tUser u\n\tport 2\n"_ba;
    QTest::newRow("IgnoreUnknown first") << "Host a\n  HostName h\n"_ba << set(0, u"IgnoreUnknown"_s, u"UseKeychain"_s) << "Host a\n  IgnoreUnknown UseKeychain\n  HostName h\n"_ba;
    QTest::newRow("empty block") << "Host a\nHost b\n\tUser u\n"_ba << set(0, u"User"_s, u"x"_s) << "Host a\n    User x\nHost b\n\tUser u\n"_ba;
    QTest::newRow("Include stays") << "Host a\n  HostName h\n  Include extra.conf\n  Port 2\n"_ba << set(0, u"User"_s, u"u"_s) << "Host a\n  HostName h\n  User u\n  Include extra.conf\n  Port 2\n"_ba;
    QTest::newRow("Match untouched") << "Host a\n  User u\nMatch host b\n  User m\nHost c\n"_ba << set(0, u"Port"_s, u"2"_s) << "Host a\n  User u\n  Port 2\nMatch host b\n  User m\nHost c\n"_ba;
    QTest::newRow("remove before Match") << "Host a\n  User u\nMatch host b\n  User m\nHost c\n"_ba << edit(Op::Remove, 0) << "Match host b\n  User m\nHost c\n"_ba;
    QTest::newRow("values, middle taken out") << "Host a\n  IdentityFile one\n  User x\n  identityfile \"t w o\"\n  # three\n  IdentityFile three\n"_ba << edit(Op::Values, 0, {}, {u"one"_s, u"three"_s}) << "Host a\n  IdentityFile one\n  User x\n  # three\n  IdentityFile three\n"_ba;
    QTest::newRow("values, put in between") << "Host a\n  IdentityFile one\n  User x\n  IdentityFile three\n"_ba << edit(Op::Values, 0, {}, {u"zero"_s, u"one"_s, u"mid"_s, u"three"_s}) << "Host a\n  IdentityFile zero\n  IdentityFile one\n  IdentityFile mid\n  User x\n  IdentityFile three\n"_ba;
    QTest::newRow("add before trailing catch-alls") << "Host *\nUser a\nHost b\nHost *\nPort 1\nMatch all\n"_ba << edit(Op::AddBlock, -1, u"new"_s) << "Host *\nUser a\nHost b\n\nHost new\n\nHost *\nPort 1\nMatch all\n"_ba;
    QTest::newRow("add to a file without a final break") << "Host a\n  User x"_ba << edit(Op::AddBlock, -1, u"new"_s) << "Host a\n  User x\n\nHost new"_ba;
    QTest::newRow("remove keeps next comment") << "Host a\n  User u\n\n# about b\nHost b\n"_ba << edit(Op::Remove, 0) << "# about b\nHost b\n"_ba;
    QTest::newRow("rename keeps spelling") << "host = old\n  User u\n"_ba << edit(Op::Rename, 0, u"new"_s) << "host = new\n  User u\n"_ba;
    QTest::newRow("rename keeps comment") << "Host\told other # lab\n"_ba << edit(Op::Rename, 0, u"new"_s) << "Host\tnew # lab\n"_ba;
    QTest::newRow("duplicate") << "Host a\n  # c\n  User u\nHost b\n"_ba << edit(Op::Duplicate, 0) << "Host a\n  # c\n  User u\n\nHost a-copy\n  # c\n  User u\n\nHost b\n"_ba;
    QTest::newRow("values, more") << "Host a\n  IdentityFile one\n  User u\n  IdentityFile two\n"_ba << edit(Op::Values, 0, {}, {u"x"_s, u"y"_s, u"z"_s}) << "Host a\n  IdentityFile x\n  User u\n  IdentityFile y\n  IdentityFile z\n"_ba;
    // clang-format on
}

void TestConfigCorpus::editShapes()
{
    QFETCH(QByteArray, input);
    QFETCH(Edit, edit);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    SSHConfigModel model(configIn(dir, input));
    QVERIFY(edit.apply(model));
    QVERIFY2(model.text() == expected, qPrintable(firstDifference(expected, model.text())));
}

QTEST_GUILESS_MAIN(TestConfigCorpus)
#include "TestConfigCorpus.moc"
