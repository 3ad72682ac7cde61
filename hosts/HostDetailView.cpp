#include "hosts/HostDetailView.h"

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"
#include "engine/OptionCatalogue.h"
#include "engine/SSHCheck.h"
#include "engine/SSHConfigModel.h"
#include "hosts/AddOptionSheet.h"
#include "hosts/HostDetailWidgets.h"
#include "hosts/KeywordCheck.h"
#include "hosts/KnownHostKeysRow.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/Mnemonic.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

using namespace HostDetailWidgets;

HostDetailView::HostDetailView(SSHConfigModel *model, const Locations &locations, QWidget *parent)
    : QScrollArea(parent)
    , m_model(model)
    , m_locations(locations)
    , m_keywords(new KeywordCheck(locations.sshPath, this))
{
    setObjectName(u"hostDetailView"_s);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // Tab goes from the sidebar straight to the first field; the scroll area shows no focus.
    setFocusPolicy(Qt::ClickFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    buildForm();
    auto *help = new QAction(this);
    help->setObjectName(u"fieldHelpAction"_s);
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, &HostDetailView::showFocusedHelp);
    connect(model, &SSHConfigModel::blockChanged, this, &HostDetailView::onBlockChanged);
    connect(model, &SSHConfigModel::blocksChanged, this, [this] {
        // A reload gives every block a new id; a removed block leaves nothing to show.
        if (block())
            refill(false);
    });
    connect(model, &SSHConfigModel::sshRejectionChanged, this, [this] {
        // The line as it was saved: later edits move the lines under the number ssh named.
        const auto rejection = m_model->sshRejection();
        m_rejectedLine = rejection ? m_model->rejectedLine() : std::nullopt;
        m_rejectedMessage = rejection ? rejection->message : QString();
        showRejection();
    });
    connect(m_keywords, &KeywordCheck::answered, this, [this](const QString &keyword) {
        const HostBlock *b = block();
        for (OptionRow &row : m_customRows) {
            if (b && SSHKeyword::equal(row.key, keyword))
                showUnknownKeyword(row, *b);
        }
    });
}

QString HostDetailView::tildePath(const QString &path, const QString &homeDir)
{
    const QString home = QDir::cleanPath(homeDir);
    if (home.isEmpty() || home == u"/"_s)
        return path;
    // Only a whole directory name counts: "/home/al" is no prefix of "/home/alice/key".
    if (path == home)
        return u"~"_s;
    if (path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

void HostDetailView::buildForm()
{
    m_content = new QWidget(this);
    m_content->setObjectName(u"hostForm"_s);
    auto *layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(20, 16, 20, 20);
    layout->setSpacing(18);

    // Identity
    {
        QWidget *box = nullptr;
        QVBoxLayout *boxLayout = nullptr;
        layout->addWidget(makeSection(tr("Identity"), &box, &boxLayout));
        auto *row = new QWidget(box);
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 2, 0, 2);
        rowLayout->setSpacing(6);
        auto *label = new QLabel(Mnemonic::escaped(tr("Host Alias")), row);
        label->setMinimumWidth(labelColumnWidth());
        m_aliasEdit = new QLineEdit(row);
        m_aliasEdit->setObjectName(u"hostAliasEdit"_s);
        m_aliasEdit->setAccessibleName(tr("Host Alias"));
        makeBorderlessField(m_aliasEdit);
        m_aliasEdit->setFont(Style::monospaceFont());
        label->setBuddy(m_aliasEdit);
        m_aliasInfo = new InfoButton(tr("The alias used in `ssh <alias>` commands. Can be a short nickname, a wildcard "
                                        "pattern like *.example.com, or * for global defaults that apply to all hosts. "
                                        "Does not need to match the real hostname."),
                                     row);
        m_aliasInfo->setAccessibleName(tr("Help for Host Alias"));
        m_aliasInfo->setFocusPolicy(Qt::NoFocus);
        rowLayout->addWidget(label);
        rowLayout->addWidget(m_aliasEdit, 1);
        rowLayout->addWidget(m_aliasInfo);
        boxLayout->addWidget(row);
        m_identityLayout = boxLayout;
        connect(m_aliasEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
            if (block())
                m_model->setPattern(m_blockId, text);
        });
    }

    for (const auto &catalogueSection : OptionCatalogue::optionSections()) {
        Section section;
        QWidget *box = nullptr;
        QVBoxLayout *boxLayout = nullptr;
        section.container = makeSection(OptionCatalogue::sectionTitle(catalogueSection), &box, &boxLayout);
        // The catalogue's title is the untranslated source, so the name is the same in every language.
        section.container->setObjectName(catalogueSection.title + u"Section"_s);
        const QStringList common = commonKeys(catalogueSection);
        section.hasCommon = !common.isEmpty();
        // Common keys first, then the advanced ones, each in catalogue order.
        QStringList ordered = common;
        for (const QString &key : catalogueSection.keys) {
            if (!common.contains(key))
                ordered.append(key);
        }
        for (const QString &key : ordered) {
            OptionRow row = makeRow(key, box);
            row.advanced = !common.contains(key);
            boxLayout->addWidget(row.row);
            m_rowIndex.insert(key, int(m_rows.size()));
            section.rows.append(int(m_rows.size()));
            m_rows.append(row);
        }
        layout->addWidget(section.container);
        m_sections.append(section);
    }

    {
        QWidget *box = nullptr;
        m_customSection = makeSection(tr("Custom Options"), &box, &m_customLayout);
        m_customSection->setObjectName(u"customOptionsSection"_s);
        m_customSection->hide();
        layout->addWidget(m_customSection);
    }

    {
        auto *row = new QWidget(m_content);
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(4, 0, 4, 0);
        m_advancedButton = new QToolButton(row);
        m_advancedButton->setObjectName(u"advancedButton"_s);
        m_advancedButton->setAutoRaise(true);
        m_advancedButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        Style::setTextColor(m_advancedButton, Style::Tone::Secondary);
        m_addOptionButton = new QToolButton(row);
        m_addOptionButton->setObjectName(u"addOptionButton"_s);
        m_addOptionButton->setAutoRaise(true);
        m_addOptionButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        m_addOptionButton->setText(Mnemonic::escaped(tr("Add Custom Option")));
        m_addOptionButton->setIcon(SymbolIcon::icon(u"plus.circle"_s, Style::Tone::Accent));
        Style::setTextColor(m_addOptionButton, Style::Tone::Accent);
        rowLayout->addWidget(m_advancedButton);
        rowLayout->addStretch(1);
        rowLayout->addWidget(m_addOptionButton);
        layout->addWidget(row);
        connect(m_advancedButton, &QToolButton::clicked, this, [this] {
            setShowAdvanced(!m_showAdvanced);
        });
        connect(m_addOptionButton, &QToolButton::clicked, this, &HostDetailView::addCustomOption);
    }
    layout->addStretch(1);
    setWidget(m_content);

    m_showAdvanced = true; // so the call below applies the hidden state
    setShowAdvanced(false);
    updateTabOrder();
}

const HostBlock *HostDetailView::block() const
{
    if (m_blockId.isNull())
        return nullptr;
    const QList<HostBlock> &blocks = m_model->blocks();
    const auto found = std::find_if(blocks.cbegin(), blocks.cend(), [this](const HostBlock &b) {
        return b.id == m_blockId;
    });
    return found == blocks.cend() ? nullptr : &*found;
}

void HostDetailView::setKnownHosts(KnownHostsModel *knownHosts, ConfigSources *sources)
{
    m_knownHostKeys = new KnownHostKeysRow(m_model, knownHosts, sources, m_content);
    static_cast<QVBoxLayout *>(m_content->layout())->insertWidget(1, m_knownHostKeys);
    m_knownHostKeys->setBlockId(m_blockId);
    updateTabOrder();
}

void HostDetailView::setBlockId(const QUuid &id)
{
    const bool newBlock = id != m_blockId;
    m_blockId = id;
    if (m_knownHostKeys)
        m_knownHostKeys->setBlockId(id);
    if (newBlock) {
        m_pendingKeys.clear();
        setShowAdvanced(false);
        verticalScrollBar()->setValue(0);
    }
    refill(newBlock);
}

void HostDetailView::setShowAdvanced(bool show)
{
    if (show == m_showAdvanced)
        return;
    m_showAdvanced = show;
    setUpdatesEnabled(false);
    for (const Section &section : std::as_const(m_sections)) {
        for (int index : section.rows) {
            if (m_rows.at(index).advanced)
                m_rows.at(index).row->setVisible(show);
        }
        section.container->setVisible(show || section.hasCommon);
    }
    setUpdatesEnabled(true);
    m_advancedButton->setText(Mnemonic::escaped(show ? tr("Hide Advanced Options") : tr("Show Advanced Options")));
    m_advancedButton->setIcon(
        SymbolIcon::icon(show ? u"chevron.up.circle"_s : u"chevron.down.circle"_s, Style::Tone::Secondary));
}

void HostDetailView::refill(bool force)
{
    const HostBlock *b = block();
    if (!b)
        return;
    if (force || (!m_aliasEdit->hasFocus() && m_aliasEdit->text() != b->pattern))
        m_aliasEdit->setText(b->pattern);
    for (OptionRow &row : m_rows)
        fillRow(row, *b, force);
    syncCustomSection();
    for (OptionRow &row : m_customRows)
        fillRow(row, *b, force);
    showRejection();
}

void HostDetailView::onBlockChanged(const QUuid &id)
{
    if (id == m_blockId)
        refill(false);
}

void HostDetailView::fieldEdited(const QString &key, QLineEdit *edit)
{
    OptionRow *row = findRow(key);
    if (!row)
        return;
    if (row->badValue.shown()) {
        // What ssh said was about the text before this edit; leaving the field asks again.
        delete row->valueCheck.data();
        setNote(row->badValue, row->row, row->column, {}, {});
        describe(*row);
    }
    if (row->repeats)
        writeValues(key);
    else
        writeOption(key, edit->text());
}

void HostDetailView::writeOption(const QString &key, const QString &text)
{
    const HostBlock *b = block();
    if (!b)
        return;
    m_model->setOption(m_blockId, key, text);
    // setOption may have found nothing to change; keep the clear button in step either way.
    if (const HostBlock *after = block()) {
        if (OptionRow *row = findRow(key))
            updateClearButtons(*row, *after);
    }
    syncCustomSection();
}

void HostDetailView::writeValues(const QString &key)
{
    const HostBlock *b = block();
    const OptionRow *row = findRow(key);
    if (!b || !row)
        return;
    QStringList values;
    for (const Field &f : row->fields) {
        if (const QString value = TextRules::trimmed(f.edit->text()); !value.isEmpty())
            values.append(value);
    }
    if (values != b->values(key))
        m_model->setOptionValues(m_blockId, key, values);
    if (const HostBlock *after = block()) {
        if (OptionRow *changed = findRow(key))
            updateClearButtons(*changed, *after);
    }
    syncCustomSection();
}

void HostDetailView::removeValue(const QString &key, QLineEdit *edit)
{
    OptionRow *row = findRow(key);
    const HostBlock *b = block();
    if (!row || !b)
        return;
    const auto field = std::find_if(row->fields.cbegin(), row->fields.cend(), [edit](const Field &f) {
        return f.edit == edit;
    });
    if (field == row->fields.cend())
        return;
    if (row->repeats && row->fields.size() > 1) {
        const qsizetype at = field - row->fields.cbegin();
        const bool hadFocus = field->line->isAncestorOf(focusWidget());
        // Fields without text hold no line; the first field with text holds the first line.
        const auto hasText = [](const Field &f) {
            return !isEmptyField(f.edit);
        };
        const bool firstLine = hasText(*field) && std::none_of(row->fields.cbegin(), field, hasText);
        dropField(*row, at);
        if (hadFocus)
            row->fields.at(std::min(at, row->fields.size() - 1)).edit->setFocus();
        updateTabOrder();
        // setOptionValues would move the later values up a line each; this takes out the line itself.
        if (firstLine)
            m_model->setOption(m_blockId, key, QString());
        writeValues(key);
        return;
    }
    edit->clear();
    fieldEdited(key, edit);
    // Not typing: show at once what ssh now reads, such as a later line that takes over.
    if (OptionRow *after = findRow(key); after && block())
        fillRow(*after, *block(), true);
}

void HostDetailView::addValue(const QString &key)
{
    OptionRow *row = findRow(key);
    if (!row || row->fields.isEmpty())
        return;
    // One empty field at a time: it becomes a line of the file once a value is typed.
    auto field = std::find_if(row->fields.cbegin(), row->fields.cend(), [](const Field &f) {
        return isEmptyField(f.edit);
    });
    if (field == row->fields.cend()) {
        addField(*row);
        if (const HostBlock *b = block())
            updateClearButtons(*row, *b);
        updateTabOrder();
        field = row->fields.cend() - 1;
    }
    ensureWidgetVisible(field->edit);
    field->edit->setFocus();
}

void HostDetailView::syncCustomSection()
{
    const HostBlock *b = block();
    QStringList keys;
    const auto listed = [&keys](const QString &name) {
        return std::any_of(keys.cbegin(), keys.cend(), [&name](const QString &key) {
            return SSHKeyword::equal(key, name);
        });
    };
    if (b) {
        // A name added through the sheet is an option like any other once it has a line: it goes
        // away with its last value.
        m_pendingKeys.removeIf([b](const QString &pending) {
            return b->value(pending).has_value();
        });
        // One row per option, named as its first line spells it.
        for (const HostOption &option : b->options) {
            if (!OptionCatalogue::knownKey(option.name) && !listed(option.name))
                keys.append(option.name);
        }
        for (const QString &pending : std::as_const(m_pendingKeys)) {
            if (!listed(pending))
                keys.append(pending);
        }
    }
    // Plain code-unit order: "Zeta" before "alpha".
    std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    if (keys == m_customKeys)
        return;

    // Rows that stay keep their widgets, so a field being typed in keeps its focus and cursor.
    bool lostFocus = false;
    QList<OptionRow> rows;
    for (const OptionRow &row : std::as_const(m_customRows)) {
        m_customLayout->removeWidget(row.row);
        if (keys.contains(row.key))
            continue;
        lostFocus = lostFocus || row.row->isAncestorOf(focusWidget());
        // Rows may be torn down from inside one of their own signals, so delete them later.
        row.row->hide();
        row.row->setObjectName({});
        for (QObject *child : row.row->findChildren<QObject *>())
            child->setObjectName({});
        row.row->deleteLater();
    }
    QWidget *box = m_customLayout->parentWidget();
    for (const QString &key : std::as_const(keys)) {
        const auto kept = std::find_if(m_customRows.cbegin(), m_customRows.cend(), [&key](const OptionRow &row) {
            return row.key == key;
        });
        if (kept != m_customRows.cend()) {
            rows.append(*kept);
        } else {
            rows.append(makeRow(key, box));
            fillRow(rows.last(), *b, true);
        }
        m_customLayout->addWidget(rows.last().row);
    }
    m_customRows = rows;
    m_customKeys = keys;
    m_customSection->setVisible(!keys.isEmpty());
    updateTabOrder();
    if (lostFocus)
        setFocus();
}

void HostDetailView::addCustomOption()
{
    if (!block())
        return;
    auto *sheet = new AddOptionSheet(
        m_keywords,
        [self = QPointer<HostDetailView>(this), id = m_blockId](const QString &name, bool ignoreUnknown) {
            if (!self || self->m_blockId != id)
                return;
            if (ignoreUnknown)
                self->ignoreUnknown(name);
            const HostBlock *b = self->block();
            const auto pending =
                std::any_of(self->m_pendingKeys.cbegin(), self->m_pendingKeys.cend(), [&name](const QString &key) {
                    return SSHKeyword::equal(key, name);
                });
            if (!b || b->value(name) || pending)
                return;
            const QString known = OptionCatalogue::knownKey(name).value_or(QString());
            if (const auto found = self->m_rowIndex.constFind(known); found != self->m_rowIndex.cend()) {
                // A catalogue option already has its row; make sure it is on screen.
                const OptionRow &row = self->m_rows.at(*found);
                if (row.advanced)
                    self->setShowAdvanced(true);
                QWidget *field = row.picker ? static_cast<QWidget *>(row.picker) : row.fields.constFirst().edit;
                self->ensureWidgetVisible(field);
                field->setFocus();
                return;
            }
            self->m_pendingKeys.append(name);
            self->syncCustomSection();
            if (const OptionRow *row = self->findRow(name)) {
                self->ensureWidgetVisible(row->fields.constFirst().edit);
                row->fields.constFirst().edit->setFocus();
            }
        },
        window());
    sheet->open();
}
