#include "hosts/ConfigSources.h"

#include "engine/ConfigLines.h"
#include "engine/SSHConfigModel.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

ConfigSources::ConfigSources(SSHConfigModel *model, const Locations &locations, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_locations(locations)
{
    connect(model, &SSHConfigModel::blocksChanged, this, [this] {
        invalidate(true);
    });
    connect(model, &SSHConfigModel::blockChanged, this, [this] {
        invalidate(false);
    });
    // A saved Include line brings its hosts in.
    connect(model, &SSHConfigModel::isDirtyChanged, this, [this] {
        if (!m_model->isDirty())
            invalidate(true);
    });
    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        invalidate(true);
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
}

ConfigSources::~ConfigSources() = default;

void ConfigSources::invalidate(bool included)
{
    m_resolver.reset();
    m_sections.clear();
    if (included) {
        m_includedValid = false;
        emit includedChanged();
    }
    emit changed();
}

void ConfigSources::build()
{
    const QString text = QString::fromUtf8(m_model->text());
    m_resolver = std::make_unique<SSHResolver>(text, m_model->configURL(), m_locations.homeDir, m_locations.sshDir);

    // Lines are counted as ssh and the resolver count them: up to "\n".
    m_sections = {Section{0, {}, -1}};
    int lineNumber = 0;
    int hosts = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        ++lineNumber;
        const ConfigLines::LineInfo info = ConfigLines::classify(QStringView(text).sliced(start, end - start));
        start = end + 1;
        const QString rest = TextRules::trimmed(info.split.rest).toString();
        if (info.kind == ConfigLines::LineKind::Header)
            m_sections.append({lineNumber, u"Host "_s + ConfigSyntax::hostPatterns(rest).toString(), hosts++});
        else if (info.kind == ConfigLines::LineKind::Match)
            m_sections.append({lineNumber, u"Match "_s + rest, -1});
    }
    // The document cuts its blocks at the same lines; should they ever disagree, name no block.
    if (hosts != m_model->blocks().size()) {
        for (Section &section : m_sections)
            section.block = -1;
    }
    watchIncluded();
}

void ConfigSources::watchIncluded()
{
    // The files read, and their folders for files that appear there (a glob) or replace one by
    // rename. The config itself is the model's to watch.
    QStringList paths;
    for (const QString &file : m_resolver->includedFiles()) {
        for (const QString &path : {file, QFileInfo(file).absolutePath()}) {
            if (path != m_model->configURL() && !paths.contains(path) && QFileInfo::exists(path))
                paths.append(path);
        }
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList gone;
    for (const QString &path : watched) {
        if (!paths.removeAll(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    if (!paths.isEmpty())
        m_watcher.addPaths(paths); // those not watched yet
}

const SSHResolver &ConfigSources::resolver()
{
    if (!m_resolver)
        build();
    return *m_resolver;
}

const QList<IncludedHostBlock> &ConfigSources::includedBlocks()
{
    if (!m_includedValid) {
        m_included.clear();
        // A file included twice lists its hosts once.
        QSet<QPair<QString, int>> seen;
        // Most configs include nothing: no need to read them through at start.
        const bool includes = m_model->text().toLower().contains("include");
        for (const IncludedHostBlock &block : includes ? resolver().includedHostBlocks() : QList<IncludedHostBlock>()) {
            if (!seen.contains({block.file, block.line})) {
                seen.insert({block.file, block.line});
                m_included.append(block);
            }
        }
        m_includedValid = true;
    }
    return m_included;
}

const IncludedHostBlock *ConfigSources::includedBlock(const QString &file, int line)
{
    for (const IncludedHostBlock &block : includedBlocks()) {
        if (block.file == file && block.line == line)
            return &block;
    }
    return nullptr;
}

QString ConfigSources::displayPath(const QString &file) const
{
    const QString path = QDir::cleanPath(file);
    const QString ssh = QDir::cleanPath(m_locations.sshDir);
    const QString home = QDir::cleanPath(m_locations.homeDir);
    if (!ssh.isEmpty() && path.startsWith(ssh + u'/'))
        return path.sliced(ssh.size() + 1);
    if (!home.isEmpty() && path.startsWith(home + u'/'))
        return u"~"_s + path.sliced(home.size());
    return path;
}

const ConfigSources::Section *ConfigSources::sectionAt(int line) const
{
    const auto after = std::upper_bound(m_sections.cbegin(), m_sections.cend(), line, [](int l, const Section &s) {
        return l < s.line;
    });
    return after == m_sections.cbegin() ? nullptr : &*(after - 1);
}

std::optional<ConfigSources::Span> ConfigSources::blockSpan(int blockIndex)
{
    resolver();
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        if (m_sections.at(i).block != blockIndex)
            continue;
        const int last = i + 1 < m_sections.size() ? m_sections.at(i + 1).line - 1 : INT_MAX;
        return Span{m_model->configURL(), m_sections.at(i).line, last};
    }
    return std::nullopt;
}

ConfigSources::Span ConfigSources::includedSpan(const IncludedHostBlock &block)
{
    return {block.file, block.line, block.lastLine};
}

QString ConfigSources::sourceText(const ResolvedOption &option, const std::optional<Span> &own)
{
    if (own && own->contains(option))
        return tr("this host");
    resolver();
    if (option.file == m_model->configURL()) {
        const Section *section = sectionAt(option.line);
        if (section && section->line > 0)
            return tr("%1 — line %2").arg(section->label).arg(option.line);
    }
    return tr("%1 — line %2").arg(displayPath(option.file)).arg(option.line);
}
