#include "hosts/ResolvedView.h"

#include "core/ProcessRunner.h"
#include "core/TextRules.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHResolver.h"
#include "hosts/ConfigSources.h"
#include "hosts/ContentView.h"
#include "ui/Style.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    using Row = ResolvedOptionsModel::Row;

    // ssh prints keywords in lower case; they read better as its manual spells them.
    QString spelled(const QString &keyword)
    {
        const QString spelling = SSHResolver::spelling(keyword);
        return spelling.isEmpty() ? keyword : spelling;
    }
} // namespace

ResolvedView::ResolvedView(SSHConfigModel *model, ConfigSources *sources, const Locations &locations, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_sources(sources)
    , m_locations(locations)
    , m_rows(new ResolvedOptionsModel(this))
    , m_runner(new ProcessRunner(this))
{
    setObjectName(u"resolvedView"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Style::sideMargin, 10, Style::sideMargin, Style::sideMargin);
    layout->setSpacing(8);

    m_exampleRow = new QWidget(this);
    auto *exampleLayout = new QHBoxLayout(m_exampleRow);
    exampleLayout->setContentsMargins(0, 0, 0, 0);
    auto *exampleLabel = new QLabel(tr("Example name:"), m_exampleRow);
    m_example = new QLineEdit(m_exampleRow);
    m_example->setObjectName(u"exampleEdit"_s);
    m_example->setPlaceholderText(tr("a host name this pattern matches"));
    exampleLabel->setBuddy(m_example);
    exampleLayout->addWidget(exampleLabel);
    exampleLayout->addWidget(m_example, 1);
    layout->addWidget(m_exampleRow);

    m_note = new QLabel(this);
    m_note->setObjectName(u"resolvedNote"_s);
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Style::setTextColor(m_note, Style::Tone::Secondary);
    layout->addWidget(m_note);

    m_table = makeTable(m_rows, tr("What ssh uses"), this);
    m_table->setObjectName(u"resolvedTable"_s);
    layout->addWidget(m_table, 1);

    connect(m_example, &QLineEdit::textChanged, this, &ResolvedView::refresh);
    connect(m_sources, &ConfigSources::changed, this, &ResolvedView::refresh);
    connect(m_runner, &ProcessRunner::finished, this, [this](const ProcessResult &result) {
        // A name ssh refuses gets no defaults, and is not asked again.
        QList<QPair<QString, QString>> values;
        if (result.exitCode == 0) {
            // Its warnings come in the same output; its settings are lower-case keywords.
            for (const QString &line : result.output.split(u'\n', Qt::SkipEmptyParts)) {
                const qsizetype space = line.indexOf(u' ');
                const QStringView keyword = QStringView(line).first(std::max<qsizetype>(space, 0));
                const bool plain = std::all_of(keyword.begin(), keyword.end(), [](QChar c) {
                    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
                });
                if (space > 0 && plain)
                    values.append({keyword.toString(), line.sliced(space + 1)});
            }
        }
        m_defaults.insert(m_asking, values);
        refresh();
    });
}

QTableView *ResolvedView::makeTable(ResolvedOptionsModel *rows, const QString &name, QWidget *parent)
{
    auto *table = new QTableView(parent);
    table->setAccessibleName(name);
    table->setModel(rows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideMiddle);
    table->verticalHeader()->hide();
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(ResolvedOptionsModel::KeywordColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ResolvedOptionsModel::ValueColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ResolvedOptionsModel::SourceColumn, QHeaderView::ResizeToContents);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The corner button selects every row; it is hidden with the row header but still named.
    if (auto *corner = table->findChild<QAbstractButton *>()) {
        corner->setAccessibleName(tr("Select All"));
        corner->setToolTip(tr("Select All"));
    }
    return table;
}

void ResolvedView::setItem(const SidebarItem &item)
{
    if (item == m_item)
        return;
    m_item = item;
    m_example->clear(); // refreshes
    refresh();
}

void ResolvedView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

const HostBlock *ResolvedView::currentBlock() const
{
    if (m_item.isIncluded()) {
        const IncludedHostBlock *included = m_sources->includedBlock(m_item.file, m_item.line);
        return included ? &included->block : nullptr;
    }
    for (const HostBlock &block : m_model->blocks()) {
        if (block.id == m_item.hostId)
            return &block;
    }
    return nullptr;
}

void ResolvedView::refresh()
{
    if (!isVisible())
        return;
    const HostBlock *block = currentBlock();
    if (!block) {
        m_rows->setRows({});
        m_note->hide();
        return;
    }
    const auto alias = ContentView::connectAlias(block->pattern);
    m_exampleRow->setVisible(!alias);
    const QString name = alias ? *alias : TextRules::trimmed(m_example->text());
    QStringList notes;
    if (name.isEmpty()) {
        m_rows->setRows({});
        m_note->setText(tr("Type a name that %1 matches to see what ssh uses for it.").arg(block->pattern));
        m_note->show();
        return;
    }

    std::optional<ConfigSources::Span> own;
    if (m_item.isIncluded()) {
        if (const IncludedHostBlock *included = m_sources->includedBlock(m_item.file, m_item.line))
            own = m_sources->includedSpan(*included);
    } else {
        own = m_sources->blockSpan(int(block - m_model->blocks().constData()));
    }
    const Resolution resolution = m_sources->resolver().resolve(name, m_locations.userName);
    QList<Row> rows;
    for (const ResolvedOption &option : resolution.options)
        rows.append({spelled(option.keyword), option.value, m_sources->sourceText(option, own)});

    // As typed, as ssh compares it with Host lines before it reads HostName.
    const bool matched = SSHResolver::hostMatches(QStringView(name).sliced(name.lastIndexOf(u'@') + 1), block->pattern);
    if (matched && own)
        addOwnOverrides(rows, resolution, *own, *block);
    else if (!matched)
        notes << tr("%1 does not match this host's pattern, so none of its lines apply.").arg(name);

    if (const auto defaults = m_defaults.constFind(name); defaults != m_defaults.cend()) {
        for (const auto &[keyword, value] : *defaults) {
            // "host" is the name itself, which no config line sets.
            if (!resolution.find(keyword) && keyword != u"host"_s)
                rows.append({spelled(keyword), value, tr("OpenSSH default")});
        }
    } else {
        askDefaults(name);
    }

    if (!resolution.execCommands.isEmpty()) {
        QString text = tr("Some sections apply only when a Match exec command succeeds: %1. Korvel does not run it.")
                           .arg(resolution.execCommands.join(u", "_s));
        if (!resolution.execKeywords.isEmpty()) {
            QStringList keywords;
            for (const QString &keyword : resolution.execKeywords)
                keywords << spelled(keyword);
            text += u' ' + tr("These values could differ: %1.").arg(keywords.join(u", "_s));
        }
        notes << text;
    }
    m_note->setText(notes.join(u'\n'));
    m_note->setVisible(!notes.isEmpty());
    m_rows->setRows(rows);
}

void ResolvedView::addOwnOverrides(QList<Row> &rows,
                                   const Resolution &resolution,
                                   const ConfigSources::Span &own,
                                   const HostBlock &block)
{
    for (const HostOption &option : block.options) {
        const QString keyword = option.name.toLower();
        const QList<const ResolvedOption *> taken = resolution.findAll(keyword);
        // Used, or an accumulating keyword that already holds this value: nothing lost.
        const bool used = std::any_of(taken.cbegin(), taken.cend(), [&](const ResolvedOption *o) {
            return own.contains(*o) || o->value == option.value;
        });
        if (taken.isEmpty() || used)
            continue;
        const QString winner = m_sources->sourceText(*taken.constFirst(), own);
        const Row row{spelled(keyword), option.value, tr("this host — overridden by %1").arg(winner), true};
        // Right below the value that wins over it.
        qsizetype at = rows.size();
        for (qsizetype i = rows.size() - 1; i >= 0; --i) {
            if (rows.at(i).keyword == row.keyword) {
                at = i + 1;
                break;
            }
        }
        if (!rows.contains(row))
            rows.insert(at, row);
    }
}

void ResolvedView::askDefaults(const QString &name)
{
    if (m_locations.sshPath.isEmpty() || m_runner->isRunning())
        return;
    m_asking = name;
    // No config at all: only what ssh itself would use. "--" keeps the name from reading as an option.
    m_runner->start(m_locations.sshPath, {u"-G"_s, u"-F"_s, u"/dev/null"_s, u"--"_s, name});
}
