#pragma once

#include "engine/HostBlock.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

// The client configuration file as read: every line kept as written, cut into sections at Host
// and Match lines, with the host blocks the form edits. An edit rewrites only the lines it
// concerns, so the text of everything else is written back byte for byte.
//
// The blocks' strings share the file's decoded text instead of copying it, so a file of 100,000
// hosts costs little more than its text. A section is cut into separate lines only once it is edited.
class ConfigDocument
{
public:
    ConfigDocument();
    explicit ConfigDocument(QString text);
    ConfigDocument(ConfigDocument &&) noexcept;
    ConfigDocument &operator=(ConfigDocument &&) noexcept;
    ~ConfigDocument();

    const QList<HostBlock> &blocks() const
    {
        return m_blocks;
    }
    qsizetype indexOf(const QUuid &id) const;

    // Each returns whether the text changed. `block` is an index into blocks().
    bool setPattern(qsizetype block, const QString &pattern);
    // The first line of `name` (ASCII case ignored): rewritten, removed for an empty value, or added.
    bool setOption(qsizetype block, const QString &name, const QString &value);
    // Every line of `name`: values in order, extra lines removed, missing ones added after the last.
    bool setOptionValues(qsizetype block, const QString &name, const QStringList &values);
    // A new empty block before a trailing run of "Host *" and Match sections (at the end for "*").
    qsizetype insertBlock(const QString &pattern);
    // The block's lines, up to the next section, go with it.
    void removeBlock(qsizetype block);
    // A copy of the block's lines, comments included, right after it, with another pattern.
    qsizetype duplicateBlock(qsizetype block, const QString &pattern);

    // Whether an IgnoreUnknown line that ssh reads before this block's first `name` line lists the
    // name: in the lines before any Host or Match, in an earlier "Host *" block, or earlier in
    // this block. ssh takes the first IgnoreUnknown it reads, so that one decides.
    bool ignoresUnknown(qsizetype block, QStringView name) const;

    // Why an edited block cannot be written (a line break, an empty pattern), or nothing.
    std::optional<QString> validate() const;

    // The text in pieces, in file order; joined they are the whole file.
    template <typename Function>
    void forEachPiece(Function &&function) const
    {
        for (const Section &section : m_sections) {
            if (!section.lines) {
                function(QStringView(section.text));
                continue;
            }
            for (const QString &line : std::as_const(section.lines->lines))
                function(QStringView(line));
        }
    }
    QString text() const;

    // What stands on a line of the text (counted from 1): the block, and the option of that block
    // (-1 for its Host line). Nothing for other lines: outside host blocks, blank, comments.
    struct Place {
        qsizetype block = -1;
        qsizetype option = -1;
    };
    std::optional<Place> placeOfLine(int line) const;
    QByteArray toUtf8() const;

private:
    // An edited section: its lines, each with its own line break, and where the block's lines are.
    struct Lines {
        QStringList lines;
        qsizetype header = -1; // the Host line; -1 for other sections
        QList<qsizetype> optionLines; // the line of each option of the block, in order
    };
    struct Section {
        QString text; // as read, while the section is unedited
        std::unique_ptr<Lines> lines; // once edited
        bool host = false;
    };

    static std::unique_ptr<Lines> splitSection(const QString &text, bool host);
    Lines &edit(qsizetype block);
    QString sectionText(const Section &section) const;
    QString newLine(const Lines &lines, qsizetype anchor, const QString &name, const QString &value) const;
    void insertLine(qsizetype block, qsizetype at, const QString &name, const QString &value);
    void removeLine(qsizetype block, qsizetype option);
    void rewriteValue(qsizetype block, qsizetype option, const QString &value);
    qsizetype placeForNew(qsizetype block, const QString &name) const;
    qsizetype insertSection(qsizetype at, QString body, HostBlock block);
    void indexSections();

    std::vector<Section> m_sections; // the first holds the lines before any Host or Match line
    QList<HostBlock> m_blocks;
    QList<qsizetype> m_sectionOf; // the section of each block
    QString m_lineBreak; // what new lines end with: the file's first line break
};
