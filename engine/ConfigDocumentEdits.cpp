#include "core/TextRules.h"
#include "core/Uuid.h"
#include "engine/ConfigDocument.h"
#include "engine/ConfigLines.h"
#include "engine/ConfigSyntax.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace ConfigLines;
using TextRules::isLineBreak;
using TextRules::trimmed;

QString ConfigDocument::newLine(const Lines &lines, qsizetype anchor, const QString &name, const QString &value) const
{
    // Indented like the option it follows, else like the block's first option, else four spaces.
    QString indent = u"    "_s;
    if (lines.optionLines.contains(anchor))
        indent = indentOf(lines.lines.at(anchor)).toString();
    else if (!lines.optionLines.isEmpty())
        indent = indentOf(lines.lines.at(lines.optionLines.constFirst())).toString();
    return indent + name + u' ' + ConfigSyntax::writtenValue(name, printable(value));
}

void ConfigDocument::insertLine(qsizetype block, qsizetype at, const QString &name, const QString &value)
{
    Lines &lines = edit(block);
    QString line = newLine(lines, at - 1, name, value);
    QString &before = lines.lines[at - 1];
    const QStringView lineBreak = QStringView(before).last(lineBreakLength(before));
    if (lineBreak.isEmpty()) {
        // The file ends without a line break: so does it after the new line.
        before += m_lineBreak;
    } else {
        line += (lineBreak == u"\n" || lineBreak == u"\r\n") ? lineBreak.toString() : m_lineBreak;
    }
    lines.lines.insert(at, line);

    const auto place = std::lower_bound(lines.optionLines.begin(), lines.optionLines.end(), at);
    const qsizetype option = place - lines.optionLines.begin();
    for (auto it = place; it != lines.optionLines.end(); ++it)
        ++*it;
    lines.optionLines.insert(option, at);
    m_blocks[block].options.insert(option, HostOption{name, value});
}

void ConfigDocument::removeLine(qsizetype block, qsizetype option)
{
    Lines &lines = edit(block);
    const qsizetype at = lines.optionLines.at(option);
    const bool lastWithoutBreak = lineBreakLength(lines.lines.at(at)) == 0;
    lines.lines.removeAt(at);
    if (lastWithoutBreak && at == lines.lines.size() && at > 0) {
        QString &before = lines.lines[at - 1];
        before.chop(lineBreakLength(before));
    }
    lines.optionLines.removeAt(option);
    for (qsizetype i = option; i < lines.optionLines.size(); ++i)
        --lines.optionLines[i];
    m_blocks[block].options.removeAt(option);
}

void ConfigDocument::rewriteValue(qsizetype block, qsizetype option, const QString &value)
{
    Lines &lines = edit(block);
    QString &line = lines.lines[lines.optionLines.at(option)];
    const QStringView rest = ConfigSyntax::splitKeyword(trimmed(bodyOf(line))).rest;
    const qsizetype start = rest.data() - line.constData();
    HostOption &held = m_blocks[block].options[option];
    line = line.left(start) + ConfigSyntax::writtenValue(held.name, printable(value)) + line.mid(start + rest.size());
    held.value = value;
}

qsizetype ConfigDocument::placeForNew(qsizetype block, const QString &name) const
{
    const Lines &lines = *m_sections[m_sectionOf.at(block)].lines;
    // IgnoreUnknown only covers the lines after it.
    if (SSHKeyword::equal(name, u"IgnoreUnknown"))
        return lines.header + 1;
    const QList<HostOption> &options = m_blocks.at(block).options;
    qsizetype after = -1;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (ConfigSyntax::writesBefore(options.at(i).name, name))
            after = std::max(after, lines.optionLines.at(i));
    }
    if (after < 0)
        after = lines.optionLines.isEmpty() ? lines.header : lines.optionLines.constLast();
    return after + 1;
}

bool ConfigDocument::setPattern(qsizetype block, const QString &pattern)
{
    if (m_blocks.at(block).pattern == pattern)
        return false;
    Lines &lines = edit(block);
    QString &line = lines.lines[lines.header];
    const QStringView patterns = ConfigSyntax::hostPatterns(ConfigSyntax::splitKeyword(trimmed(bodyOf(line))).rest);
    const qsizetype start = patterns.data() - line.constData();
    line = line.left(start) + printable(pattern) + line.mid(start + patterns.size());
    m_blocks[block].pattern = pattern;
    return true;
}

bool ConfigDocument::setOption(qsizetype block, const QString &name, const QString &value)
{
    const QString text = trimmed(value);
    const QList<HostOption> &options = m_blocks.at(block).options;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (!SSHKeyword::equal(options.at(i).name, name))
            continue;
        if (text.isEmpty())
            removeLine(block, i);
        else if (options.at(i).value != text)
            rewriteValue(block, i, text);
        else
            return false;
        return true;
    }
    if (text.isEmpty() || !isPlainKeyword(name))
        return false;
    edit(block);
    insertLine(block, placeForNew(block, name), name, text);
    return true;
}

bool ConfigDocument::setOptionValues(qsizetype block, const QString &name, const QStringList &values)
{
    QStringList wanted;
    for (const QString &value : values) {
        if (const QStringView text = trimmed(QStringView(value)); !text.isEmpty())
            wanted.append(text.toString());
    }
    const QList<HostOption> &options = m_blocks.at(block).options;
    QList<qsizetype> found;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (SSHKeyword::equal(options.at(i).name, name))
            found.append(i);
    }
    if (m_blocks.at(block).values(name) == wanted)
        return false;
    if (found.isEmpty() && !isPlainKeyword(name))
        return false;
    const QString spelling = found.isEmpty() ? name : options.at(found.constFirst()).name;
    Lines &lines = edit(block);
    const QStringList current = m_blocks.at(block).values(name);

    // Lines taken out of the middle, or put in between, touch only those lines when every other
    // value stays as it was, in order.
    auto matchInOrder = [](const QStringList &whole, const QStringList &part) {
        QList<bool> matched(whole.size(), false);
        qsizetype j = 0;
        for (qsizetype i = 0; i < whole.size() && j < part.size(); ++i) {
            if (whole.at(i) == part.at(j)) {
                matched[i] = true;
                ++j;
            }
        }
        return j == part.size() ? matched : QList<bool>();
    };
    if (wanted.size() < current.size()) {
        if (const QList<bool> keep = matchInOrder(current, wanted); !keep.isEmpty()) {
            for (qsizetype i = found.size() - 1; i >= 0; --i) {
                if (!keep.at(i))
                    removeLine(block, found.at(i));
            }
            return true;
        }
    } else if (wanted.size() > current.size() && !found.isEmpty()) {
        if (const QList<bool> old = matchInOrder(wanted, current); !old.isEmpty()) {
            // Values are placed in order, so the first i lines of the option hold wanted[0..i).
            qsizetype after = -1;
            for (qsizetype i = 0; i < wanted.size(); ++i) {
                QList<qsizetype> lineOf;
                const QList<HostOption> &now = m_blocks.at(block).options;
                for (qsizetype k = 0; k < now.size(); ++k) {
                    if (SSHKeyword::equal(now.at(k).name, name))
                        lineOf.append(lines.optionLines.at(k));
                }
                if (old.at(i)) {
                    after = lineOf.at(i);
                    continue;
                }
                after = after >= 0 ? after + 1 : lineOf.constFirst();
                insertLine(block, after, spelling, wanted.at(i));
            }
            return true;
        }
    }

    const qsizetype kept = std::min(found.size(), wanted.size());
    for (qsizetype i = 0; i < kept; ++i) {
        if (m_blocks.at(block).options.at(found.at(i)).value != wanted.at(i))
            rewriteValue(block, found.at(i), wanted.at(i));
    }
    for (qsizetype i = found.size() - 1; i >= wanted.size(); --i)
        removeLine(block, found.at(i));
    if (wanted.size() > found.size()) {
        qsizetype at = found.isEmpty() ? placeForNew(block, name) : lines.optionLines.at(found.constLast()) + 1;
        for (qsizetype i = found.size(); i < wanted.size(); ++i)
            insertLine(block, at++, spelling, wanted.at(i));
    }
    return true;
}

qsizetype ConfigDocument::insertSection(qsizetype at, QString body, HostBlock block)
{
    // The blank line above a header belongs to the section before it, as when the file is read,
    // so a block behaves the same whether it was added now or read from the file.
    Section &previous = m_sections[at - 1];
    const QString before = sectionText(previous);
    const bool endsWithoutBreak = !before.isEmpty() && lineBreakLength(before) == 0;
    QString separator = endsWithoutBreak ? m_lineBreak : QString();
    if (!before.isEmpty() && !endsWithBlankLine(before))
        separator += m_lineBreak;
    if (!separator.isEmpty()) {
        if (previous.lines)
            previous.lines = splitSection(before + separator, previous.host);
        else
            previous.text += separator;
    }
    QString text = std::move(body);
    if (at < qsizetype(m_sections.size())) {
        if (!endsWithBlankLine(text))
            text += m_lineBreak;
    } else if (endsWithoutBreak) {
        // The file ended without a line break: so does it after the new block.
        text.chop(lineBreakLength(text));
    }

    Section section;
    section.host = true;
    section.lines = splitSection(text, true);
    qsizetype index = 0;
    for (qsizetype i = 0; i < at; ++i)
        index += m_sections.at(i).host ? 1 : 0;
    m_sections.insert(m_sections.begin() + at, std::move(section));
    m_blocks.insert(index, std::move(block));
    indexSections();
    return index;
}

qsizetype ConfigDocument::insertBlock(const QString &pattern)
{
    qsizetype at = qsizetype(m_sections.size());
    if (pattern != u"*"_s) {
        // ssh takes the first value it finds, so a new host goes before the catch-all sections at
        // the end; after them, every option they set would override the host's own.
        qsizetype block = m_blocks.size();
        while (at > 1) {
            const Section &section = m_sections.at(at - 1);
            if (section.host && m_blocks.at(block - 1).pattern != u"*"_s)
                break;
            block -= section.host ? 1 : 0;
            --at;
        }
    }
    return insertSection(at, u"Host "_s + printable(pattern) + m_lineBreak, HostBlock{Uuid::create(), pattern, {}});
}

void ConfigDocument::removeBlock(qsizetype block)
{
    const qsizetype at = m_sectionOf.at(block);
    const bool last = at + 1 == qsizetype(m_sections.size());
    const bool endedWithBreak = lineBreakLength(sectionText(m_sections.at(at))) > 0;
    m_sections.erase(m_sections.begin() + at);
    m_blocks.removeAt(block);
    indexSections();
    if (!last)
        return;
    // The blank lines that separated the last block from the one before it go with it, and a
    // file that ended without a line break does so again.
    Section &previous = m_sections[at - 1];
    QString text = sectionText(previous);
    const qsizetype before = text.size();
    for (;;) {
        const qsizetype bodyEnd = text.size() - lineBreakLength(text);
        if (bodyEnd == text.size())
            break;
        qsizetype start = bodyEnd;
        while (start > 0 && !isLineBreak(text.at(start - 1)))
            --start;
        if (!trimmed(QStringView(text).sliced(start, bodyEnd - start)).isEmpty())
            break;
        text.truncate(start);
    }
    if (!endedWithBreak)
        text.chop(lineBreakLength(text));
    if (text.size() == before)
        return;
    if (previous.lines) {
        previous.lines = splitSection(text, previous.host);
    } else {
        previous.text = text;
    }
}

qsizetype ConfigDocument::duplicateBlock(qsizetype block, const QString &pattern)
{
    HostBlock copy = m_blocks.at(block);
    copy.id = Uuid::create();
    const qsizetype section = m_sectionOf.at(block);
    const qsizetype index = insertSection(section + 1, sectionText(m_sections.at(section)), std::move(copy));
    setPattern(index, pattern);
    return index;
}
