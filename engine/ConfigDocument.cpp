#include "engine/ConfigDocument.h"

#include "core/TextRules.h"
#include "core/Uuid.h"
#include "engine/ConfigLines.h"
#include "engine/ConfigSyntax.h"

#include <QRegularExpression>
#include <QStringEncoder>

#include <iterator>

using namespace Qt::StringLiterals;
using namespace ConfigLines;
using TextRules::isLineBreak;
using TextRules::sharedSlice;

namespace {
    // Names written in the usual spelling share one static string instead of a piece of the text.
    QString internedName(QStringView name)
    {
        // clang-format off
        static const char16_t *const names[] = {
            u"HostName", u"User", u"Port", u"ConnectTimeout", u"AddressFamily", u"IdentityFile",
            u"IdentityAgent", u"AddKeysToAgent", u"UseKeychain", u"IdentitiesOnly", u"PubkeyAuthentication",
            u"PasswordAuthentication", u"PreferredAuthentications", u"KbdInteractiveAuthentication",
            u"ForwardAgent", u"ForwardX11", u"ForwardX11Trusted", u"ProxyJump", u"ProxyCommand",
            u"LocalForward", u"RemoteForward", u"DynamicForward", u"ServerAliveInterval",
            u"ServerAliveCountMax", u"TCPKeepAlive", u"StrictHostKeyChecking", u"UserKnownHostsFile",
            u"Compression", u"Ciphers", u"MACs", u"HostKeyAlgorithms", u"KexAlgorithms",
            u"PubkeyAcceptedAlgorithms", u"ControlMaster", u"ControlPath", u"ControlPersist", u"LogLevel",
            u"BatchMode", u"RequestTTY", u"VisualHostKey", u"PermitLocalCommand", u"LocalCommand",
            u"NumberOfPasswordPrompts", u"SetEnv", u"SendEnv", u"EscapeChar", u"CertificateFile",
            u"IgnoreUnknown", u"Include", u"Hostname", u"user", u"port", u"hostname", u"identityfile",
        };
        // clang-format on
        struct Table {
            QList<QString> byLength[32];
            Table()
            {
                for (const char16_t *name : names) {
                    const QStringView view(name);
                    byLength[view.size()].append(
                        QString::fromRawData(reinterpret_cast<const QChar *>(name), view.size()));
                }
            }
        };
        static const Table table;
        if (name.size() < qsizetype(std::size(table.byLength))) {
            for (const QString &known : table.byLength[name.size()]) {
                if (known == name)
                    return known;
            }
        }
        return QString();
    }
} // namespace

ConfigDocument::ConfigDocument()
    : m_lineBreak(u"\n"_s)
{
    m_sections.emplace_back();
}

ConfigDocument::ConfigDocument(QString text)
    : m_lineBreak(u"\n"_s)
{
    const QChar *data = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLineBreak(data[i])) {
            if (data[i] == u'\r' && i + 1 < text.size() && data[i + 1] == u'\n')
                m_lineBreak = u"\r\n"_s;
            break;
        }
    }

    std::vector<HostOption> options;
    HostBlock block{QUuid(), {}, {}};
    qsizetype sectionStart = 0;
    bool sectionIsHost = false;
    auto closeSection = [&](qsizetype end) {
        Section section;
        section.text = sharedSlice(text, sectionStart, end - sectionStart);
        section.host = sectionIsHost;
        m_sections.push_back(std::move(section));
        if (sectionIsHost) {
            block.options =
                QList<HostOption>(std::make_move_iterator(options.begin()), std::make_move_iterator(options.end()));
            options.clear();
            m_blocks.append(std::move(block));
        }
    };

    // A run of comment lines right above a header, after a blank line, belongs to that header:
    // it moves, goes and is copied with it.
    enum class Previous {
        Start,
        Blank,
        Comment,
        Other
    } previous = Previous::Start;
    qsizetype attached = -1;
    forEachLine(text, [&](qsizetype start, qsizetype bodyEnd, qsizetype) {
        const QStringView body(data + start, bodyEnd - start);
        const LineInfo line = classify(body);
        switch (line.kind) {
        case LineKind::Blank:
            previous = Previous::Blank;
            attached = -1;
            return;
        case LineKind::Comment:
            if (previous == Previous::Blank)
                attached = start;
            else if (previous != Previous::Comment)
                attached = -1;
            previous = Previous::Comment;
            return;
        case LineKind::Header:
        case LineKind::Match: {
            const qsizetype at = attached >= 0 ? attached : start;
            closeSection(at);
            sectionStart = at;
            sectionIsHost = line.kind == LineKind::Header;
            if (sectionIsHost) {
                const QStringView patterns = ConfigSyntax::hostPatterns(line.split.rest);
                block = HostBlock{Uuid::create(), sharedSlice(text, patterns.data() - data, patterns.size()), {}};
            }
            break;
        }
        case LineKind::Option:
            if (sectionIsHost) {
                const QStringView name = line.split.keyword;
                QString interned = internedName(name);
                options.push_back(
                    {interned.isNull() ? sharedSlice(text, name.data() - data, name.size()) : std::move(interned),
                     sharedSlice(text, line.value.data() - data, line.value.size())});
            }
            break;
        case LineKind::Other:
            break;
        }
        previous = Previous::Other;
        attached = -1;
    });
    closeSection(text.size());
    indexSections();
}

ConfigDocument::ConfigDocument(ConfigDocument &&) noexcept = default;
ConfigDocument &ConfigDocument::operator=(ConfigDocument &&) noexcept = default;
ConfigDocument::~ConfigDocument() = default;

qsizetype ConfigDocument::indexOf(const QUuid &id) const
{
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks.at(i).id == id)
            return i;
    }
    return -1;
}

std::unique_ptr<ConfigDocument::Lines> ConfigDocument::splitSection(const QString &text, bool host)
{
    auto lines = std::make_unique<Lines>();
    forEachLine(text, [&](qsizetype start, qsizetype bodyEnd, qsizetype end) {
        const qsizetype index = lines->lines.size();
        lines->lines.append(text.sliced(start, end - start));
        if (!host)
            return;
        const LineKind kind = classify(QStringView(text).sliced(start, bodyEnd - start)).kind;
        if (lines->header < 0) {
            if (kind == LineKind::Header)
                lines->header = index;
        } else if (kind == LineKind::Option) {
            lines->optionLines.append(index);
        }
    });
    return lines;
}

ConfigDocument::Lines &ConfigDocument::edit(qsizetype block)
{
    Section &section = m_sections[m_sectionOf.at(block)];
    if (!section.lines) {
        section.lines = splitSection(section.text, section.host);
        section.text = QString();
    }
    Q_ASSERT(section.lines->optionLines.size() == m_blocks.at(block).options.size());
    return *section.lines;
}

QString ConfigDocument::sectionText(const Section &section) const
{
    return section.lines ? section.lines->lines.join(QString()) : section.text;
}

void ConfigDocument::indexSections()
{
    m_sectionOf.resize(m_blocks.size());
    qsizetype block = 0;
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        if (m_sections[i].host)
            m_sectionOf[block++] = i;
    }
}

std::optional<QString> ConfigDocument::validate() const
{
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        if (!m_sections.at(m_sectionOf.at(i)).lines)
            continue;
        if (auto error = ConfigSyntax::validateBlock(m_blocks.at(i), i))
            return error;
    }
    return std::nullopt;
}

namespace {
    // ssh's pattern list: comma-separated globs, "!" excludes, letter case ignored.
    bool matchesPatternList(QStringView name, QStringView list)
    {
        bool matched = false;
        for (QStringView item : list.split(u',')) {
            item = TextRules::trimmed(item);
            const bool negated = item.startsWith(u'!');
            if (negated)
                item = item.sliced(1);
            const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression(item.toString()),
                                          QRegularExpression::CaseInsensitiveOption);
            if (glob.match(name).hasMatch()) {
                if (negated)
                    return false;
                matched = true;
            }
        }
        return matched;
    }
} // namespace

bool ConfigDocument::ignoresUnknown(qsizetype block, QStringView name) const
{
    std::optional<QString> list;
    // The lines before any section.
    ConfigLines::forEachLine(m_sections.front().text, [&](qsizetype start, qsizetype bodyEnd, qsizetype) {
        const LineInfo line = classify(QStringView(m_sections.front().text).sliced(start, bodyEnd - start));
        if (!list && line.kind == LineKind::Option && SSHKeyword::equal(line.split.keyword, u"ignoreunknown"))
            list = line.value.toString();
    });
    // Earlier catch-all blocks, then this block up to the option.
    for (qsizetype i = 0; i <= block && !list; ++i) {
        const HostBlock &b = m_blocks.at(i);
        if (i < block && b.pattern != u"*"_s)
            continue;
        for (const HostOption &option : b.options) {
            if (i == block && SSHKeyword::equal(option.name, name))
                break;
            if (SSHKeyword::equal(option.name, u"ignoreunknown")) {
                list = option.value;
                break;
            }
        }
    }
    return list && matchesPatternList(name, *list);
}

std::optional<ConfigDocument::Place> ConfigDocument::placeOfLine(int line) const
{
    int first = 1; // the number of the section's first line
    qsizetype block = 0;
    for (const Section &section : m_sections) {
        const std::unique_ptr<Lines> split = section.lines ? nullptr : splitSection(section.text, section.host);
        const Lines &lines = section.lines ? *section.lines : *split;
        if (line < first + lines.lines.size()) {
            if (!section.host)
                return std::nullopt;
            const qsizetype at = line - first;
            const qsizetype option = lines.optionLines.indexOf(at);
            // A blank, comment or argument-less line names no field of the form.
            if (option < 0 && at != lines.header)
                return std::nullopt;
            return Place{block, option};
        }
        first += int(lines.lines.size());
        block += section.host ? 1 : 0;
    }
    return std::nullopt;
}

QString ConfigDocument::text() const
{
    QString text;
    forEachPiece([&text](QStringView piece) {
        text += piece;
    });
    return text;
}

QByteArray ConfigDocument::toUtf8() const
{
    QByteArray bytes;
    QStringEncoder encoder(QStringEncoder::Utf8);
    forEachPiece([&](QStringView piece) {
        bytes += encoder.encode(piece);
    });
    return bytes;
}
