#include "hosts/HostDetailView.h"

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"
#include "engine/OptionCatalogue.h"
#include "engine/SSHCheck.h"
#include "engine/SSHConfigModel.h"
#include "hosts/AddOptionSheet.h"
#include "hosts/KeywordCheck.h"
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

namespace {
    const QString identityFileKey = u"IdentityFile"_s;

    // The rounded group box a form section sits in.
    class SectionBox final : public QWidget
    {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter p(this);
            QColor border = palette().color(QPalette::WindowText);
            border.setAlphaF(0.12f);
            drawPanel(p, rect(), 8, palette().brush(QPalette::Base), border);
        }
    };

    // Borderless fields on a white card would be invisible while empty; a faint fill shows where to type.
    void makeBorderlessField(QLineEdit *edit)
    {
        edit->setFrame(false);
        Style::whenRestyled(edit, [edit] {
            QColor fill = Style::inheritedPalette(edit).color(QPalette::WindowText);
            fill.setAlphaF(0.045f);
            QPalette p = edit->palette();
            p.setColor(QPalette::Base, fill);
            edit->setPalette(p);
        });
        edit->setTextMargins(4, 1, 4, 1);
    }

    QToolButton *iconButton(const QString &symbol,
                            Style::Tone tone,
                            const QString &toolTip,
                            QWidget *parent,
                            Qt::FocusPolicy focus = Qt::TabFocus)
    {
        auto *button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setFocusPolicy(focus);
        button->setIcon(SymbolIcon::icon(symbol, tone));
        button->setIconSize(QSize(14, 14));
        button->setToolTip(toolTip);
        button->setAccessibleName(toolTip);
        return button;
    }

    // No value in it: blanks only.
    bool isEmptyField(const QLineEdit *edit)
    {
        return TextRules::trimmed(edit->text()).isEmpty();
    }

    QStringList commonKeys(const OptionCatalogue::OptionSection &section)
    {
        const auto &common = OptionCatalogue::sectionCommonKeys();
        const auto found = common.constFind(section.title);
        return found == common.cend() ? section.keys : *found;
    }
} // namespace

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

int HostDetailView::labelColumnWidth() const
{
    // One column for every label, so the fields line up as in a form.
    if (m_labelWidth == 0) {
        const QFontMetrics metrics(font());
        int widest = metrics.horizontalAdvance(tr("Host Alias"));
        for (const QString &key : OptionCatalogue::allKnownKeys())
            widest = std::max(widest, metrics.horizontalAdvance(key));
        m_labelWidth = std::min(widest + 12, 260);
    }
    return m_labelWidth;
}

QWidget *HostDetailView::makeSection(const QString &title, QWidget **box, QVBoxLayout **boxLayout)
{
    auto *container = new QWidget(m_content);
    auto *layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!title.isEmpty()) {
        auto *label = new QLabel(title, container);
        label->setFont(Style::labelFont());
        Style::setTextColor(label, Style::Tone::Secondary);
        label->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(label);
    }
    *box = new SectionBox(container);
    *boxLayout = new QVBoxLayout(*box);
    (*boxLayout)->setContentsMargins(12, 6, 8, 6);
    (*boxLayout)->setSpacing(2);
    layout->addWidget(*box);
    return container;
}

HostDetailView::OptionRow HostDetailView::makeRow(const QString &key, QWidget *parent)
{
    OptionRow r;
    r.key = key;
    r.repeats = OptionCatalogue::acceptsRepeats(key);
    r.custom = !OptionCatalogue::knownKey(key);
    r.row = new QWidget(parent);
    r.row->setObjectName(key + u"Row"_s);
    auto *layout = new QHBoxLayout(r.row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(6);

    // The label has a buddy, which would read "&" in a custom option's name as a mnemonic.
    r.label = new QLabel(Mnemonic::escaped(key), r.row);
    r.label->setMinimumWidth(labelColumnWidth());
    layout->addWidget(r.label, 0, Qt::AlignTop);
    r.column = new QVBoxLayout;
    r.column->setSpacing(2);
    layout->addLayout(r.column, 1);

    const auto &pickers = OptionCatalogue::optionPickerValues();
    const auto pickerValues = pickers.constFind(key);
    if (pickerValues != pickers.cend()) {
        r.picker = new QComboBox(r.row);
        r.picker->setObjectName(key + u"Picker"_s);
        r.picker->setAccessibleName(key);
        r.picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        r.picker->setMinimumWidth(150); // keeps the column of pickers from looking ragged
        r.picker->addItem(tr("(unset)"));
        r.picker->insertSeparator(1);
        r.picker->addItems(*pickerValues);
        r.label->setBuddy(r.picker);
        auto *line = new QHBoxLayout;
        line->addStretch(1);
        line->addWidget(r.picker);
        r.column->addLayout(line);
        connect(r.picker, &QComboBox::activated, this, [this, key, picker = r.picker](int index) {
            // Item 0 is "(unset)", item 1 the separator.
            writeOption(key, index >= 2 ? picker->itemText(index) : QString());
            picker->setPlaceholderText({});
        });
    } else {
        addField(r);
    }

    const QString helpText = OptionCatalogue::helpText(key);
    QWidget *trailing = nullptr;
    if (r.repeats || !helpText.isEmpty()) {
        trailing = new QWidget(r.row);
        auto *trailingLayout = new QHBoxLayout(trailing);
        trailingLayout->setContentsMargins(0, 0, 0, 0);
        trailingLayout->setSpacing(6);
        if (r.repeats) {
            r.add = iconButton(u"plus.circle"_s, Style::Tone::Accent, tr("Add another %1").arg(key), trailing);
            r.add->setObjectName(key + u"AddButton"_s);
            trailingLayout->addWidget(r.add);
            connect(r.add, &QToolButton::clicked, this, [this, key] {
                addValue(key);
            });
        }
        if (!helpText.isEmpty()) {
            r.info = new InfoButton(helpText, trailing);
            r.info->setAccessibleName(tr("Help for %1").arg(key));
            r.info->setFocusPolicy(Qt::NoFocus); // F1 in the field opens it
            trailingLayout->addWidget(r.info);
        }
        layout->addWidget(trailing, 0, Qt::AlignTop);
    }

    // Every line is as tall as the tallest control of the first, so the label and the buttons on
    // the right line up with the first field however many follow.
    r.row->ensurePolished(); // size hints follow the style only once it is applied
    QWidget *first = r.picker ? static_cast<QWidget *>(r.picker) : r.fields.constFirst().line;
    r.lineHeight = first->sizeHint().height();
    for (QWidget *w : {static_cast<QWidget *>(r.label), trailing}) {
        if (w)
            r.lineHeight = std::max(r.lineHeight, w->sizeHint().height());
    }
    for (const Field &f : std::as_const(r.fields))
        f.line->setMinimumHeight(r.lineHeight);
    r.label->setMinimumHeight(r.lineHeight);
    if (trailing)
        trailing->setFixedHeight(r.lineHeight);
    return r;
}

void HostDetailView::addField(OptionRow &row)
{
    Field f;
    f.line = new QWidget(row.row);
    f.line->setMinimumHeight(row.lineHeight);
    auto *layout = new QHBoxLayout(f.line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    f.edit = new QLineEdit(f.line);
    makeBorderlessField(f.edit);
    f.edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f.edit->setFont(Style::monospaceFont());
    layout->addWidget(f.edit, 1);
    // One Tab stop per row: emptying the field does what the button does.
    f.clear = iconButton(u"xmark.circle.fill"_s, Style::Tone::Tertiary, QString(), f.line, Qt::NoFocus);
    f.clear->hide();
    layout->addWidget(f.clear);

    const QString key = row.key;
    connect(f.edit, &QLineEdit::textEdited, this, [this, key, edit = f.edit] {
        fieldEdited(key, edit);
    });
    connect(f.clear, &QToolButton::clicked, this, [this, key, edit = f.edit] {
        removeValue(key, edit);
    });
    if (row.custom) {
        connect(f.edit, &QLineEdit::editingFinished, this, [this, key] {
            checkValue(key);
        });
    }
    if (key == identityFileKey) {
        f.browse = iconButton(u"folder"_s, Style::Tone::Secondary, QString(), f.line);
        layout->addWidget(f.browse);
        connect(f.browse, &QToolButton::clicked, this, [this, key, edit = f.edit] {
            chooseKeyFile(key, edit);
        });
    }
    row.column->insertWidget(int(row.fields.size()), f.line);
    f.line->show(); // at once, not when the layout gets to it, so the new field can take focus
    row.fields.append(f);
    nameFields(row);
}

void HostDetailView::dropField(OptionRow &row, qsizetype at)
{
    const Field f = row.fields.takeAt(at);
    // The field may be torn down from inside one of its own signals, so delete it later.
    f.line->hide();
    for (QObject *child : f.line->findChildren<QObject *>())
        child->setObjectName({});
    row.column->removeWidget(f.line);
    f.line->deleteLater();
    nameFields(row);
}

void HostDetailView::nameFields(OptionRow &row)
{
    if (!row.fields.isEmpty())
        row.label->setBuddy(row.fields.constFirst().edit);
    for (qsizetype i = 0; i < row.fields.size(); ++i) {
        const Field &f = row.fields.at(i);
        const QString number = i == 0 ? QString() : QString::number(i + 1);
        //: An option name and the number of its field, for a screen reader ("IdentityFile 2").
        const QString name = i == 0 ? row.key : tr("%1 %2").arg(row.key, number);
        f.edit->setObjectName(row.key + u"Edit"_s + number);
        f.edit->setAccessibleName(name);
        f.clear->setObjectName(row.key + u"ClearButton"_s + number);
        const QString clearText = row.repeats ? tr("Remove %1").arg(name) : tr("Clear %1").arg(name);
        f.clear->setToolTip(clearText);
        f.clear->setAccessibleName(clearText);
        if (f.browse) {
            f.browse->setObjectName(u"browseButton"_s + number);
            const QString browseText =
                i == 0 ? tr("Browse for private key file") : tr("Browse for private key file %1").arg(number);
            f.browse->setToolTip(browseText);
            f.browse->setAccessibleName(browseText);
        }
    }
}

HostDetailView::OptionRow *HostDetailView::findRow(const QString &key)
{
    if (const auto found = m_rowIndex.constFind(key); found != m_rowIndex.cend())
        return &m_rows[*found];
    for (OptionRow &row : m_customRows) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
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

void HostDetailView::setBlockId(const QUuid &id)
{
    const bool newBlock = id != m_blockId;
    m_blockId = id;
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

void HostDetailView::fillRow(OptionRow &row, const HostBlock &b, bool force)
{
    if (row.picker) {
        const QString value = b.value(row.key).value_or(QString());
        const QStringList values = OptionCatalogue::optionPickerValues().value(row.key);
        const qsizetype at = values.indexOf(value);
        if (value.isEmpty()) {
            row.picker->setCurrentIndex(0);
        } else if (at >= 0) {
            row.picker->setCurrentIndex(int(at) + 2);
        } else {
            // A value outside the list stays as it is until the user picks an item.
            row.picker->setCurrentIndex(-1);
            row.picker->setPlaceholderText(value);
        }
        if (row.picker->currentIndex() >= 0)
            row.picker->setPlaceholderText({});
    } else if (row.repeats) {
        fillValues(row, b.values(row.key), force);
    } else {
        fillValues(row, {b.value(row.key).value_or(QString())}, force);
    }
    updateClearButtons(row, b);
    if (!row.repeats)
        showIgnoredLines(row, b.values(row.key).size() - 1);
    if (row.custom)
        showUnknownKeyword(row, b);
}

void HostDetailView::fillValues(OptionRow &row, const QStringList &values, bool force)
{
    const auto fill = [force](const Field &f, const QString &value) {
        // Leave the field being typed in alone: its untrimmed text is the user's, not ours.
        if (force || (!f.edit->hasFocus() && TextRules::trimmed(f.edit->text()) != value)) {
            if (f.edit->text() != value)
                f.edit->setText(value);
        }
    };
    // Empty fields hold no line of the file (one just added, or one the user is typing in), so
    // the values go to the others in order. A different count means the file changed under the
    // form: then the fields start again from the values.
    const qsizetype filled = std::count_if(row.fields.cbegin(), row.fields.cend(), [](const Field &f) {
        return !isEmptyField(f.edit);
    });
    if (!force && filled == values.size()) {
        qsizetype next = 0;
        for (const Field &f : std::as_const(row.fields)) {
            if (!isEmptyField(f.edit))
                fill(f, values.at(next++));
        }
        return;
    }
    const qsizetype wanted = std::max<qsizetype>(1, values.size());
    const bool reshaped = row.fields.size() != wanted;
    while (row.fields.size() > wanted)
        dropField(row, row.fields.size() - 1);
    while (row.fields.size() < wanted)
        addField(row);
    for (qsizetype i = 0; i < row.fields.size(); ++i)
        fill(row.fields.at(i), values.value(i));
    if (reshaped)
        updateTabOrder();
}

void HostDetailView::updateClearButtons(OptionRow &row, const HostBlock &b)
{
    if (row.fields.isEmpty())
        return;
    if (!row.repeats) {
        row.fields.constFirst().clear->setVisible(!b.value(row.key).value_or(QString()).isEmpty());
        return;
    }
    // A lone empty field has nothing to remove; an added one can be taken away again.
    for (const Field &f : std::as_const(row.fields))
        f.clear->setVisible(row.fields.size() > 1 || !isEmptyField(f.edit));
}

void HostDetailView::showIgnoredLines(OptionRow &row, qsizetype later)
{
    if (later <= 0) {
        if (row.ignored && !row.ignored->isHidden()) {
            row.ignored->hide();
            describe(row);
        }
        return;
    }
    if (!row.ignored) {
        row.ignored = new QLabel(row.row);
        row.ignored->setObjectName(row.key + u"IgnoredLabel"_s);
        row.ignored->setWordWrap(true);
        row.ignored->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.ignored->setFont(Style::captionFont());
        Style::setTextColor(row.ignored, Style::Tone::Secondary);
        row.column->addWidget(row.ignored);
    }
    // ssh keeps the first value it reads for these options and skips every later line.
    const QString text =
        later == 1 ? tr("ssh uses the first %1 line; the 1 later line is ignored.").arg(row.key)
                   : tr("ssh uses the first %1 line; the %2 later lines are ignored.").arg(row.key).arg(later);
    const bool changed = row.ignored->text() != text || row.ignored->isHidden();
    row.ignored->setText(text);
    row.ignored->show();
    if (changed)
        describe(row);
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

bool HostDetailView::Note::shown() const
{
    return line && !line->isHidden();
}

void HostDetailView::setNote(Note &note, QWidget *parent, QVBoxLayout *column, const QString &name, const QString &text)
{
    if (text.isEmpty()) {
        if (note.line)
            note.line->hide();
        return;
    }
    if (!note.line) {
        note.line = new QWidget(parent);
        note.line->setObjectName(name);
        auto *layout = new QHBoxLayout(note.line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        auto *icon = new IconLabel(u"exclamationmark.triangle.fill"_s, Style::Tone::Destructive, 12, note.line);
        note.text = new QLabel(note.line);
        note.text->setWordWrap(true);
        note.text->setTextFormat(Qt::PlainText);
        note.text->setFont(Style::captionFont());
        Style::setTextColor(note.text, Style::Tone::Destructive);
        layout->addWidget(icon, 0, Qt::AlignTop);
        layout->addWidget(note.text, 1);
        column->addWidget(note.line);
    }
    note.text->setText(text);
    note.line->setToolTip(text);
    note.line->show();
}

void HostDetailView::describe(OptionRow &row)
{
    QStringList notes;
    if (row.ignored && !row.ignored->isHidden())
        notes.append(row.ignored->text());
    for (const Note *note : {&row.unknown, &row.badValue, &row.rejected}) {
        if (note->shown())
            notes.append(note->text->text());
    }
    const QString text = notes.join(u' ');
    QWidget *field = row.picker ? static_cast<QWidget *>(row.picker) : row.fields.constFirst().edit;
    if (field->accessibleDescription() != text)
        field->setAccessibleDescription(text);
    // The saved file's refusal shows on the field itself too, where the pointer is.
    const QString tip = row.rejected.shown() ? row.rejected.text->text() : QString();
    if (field->toolTip() != tip)
        field->setToolTip(tip);
}

void HostDetailView::showUnknownKeyword(OptionRow &row, const HostBlock &b)
{
    // Nothing while ssh has not answered, or when an IgnoreUnknown line ssh reads first lists it.
    const auto answer = m_keywords->answer(row.key);
    const bool warn = answer && !answer->known && !m_model->ignoresUnknown(b.id, row.key);
    if (warn == row.unknown.shown())
        return;
    const bool made = row.unknown.line;
    setNote(row.unknown,
            row.row,
            row.column,
            row.key + u"UnknownNote"_s,
            warn ? tr("ssh on this system does not know %1 and stops reading the file here.").arg(row.key) : QString());
    if (warn && !made) {
        auto *fix = new QPushButton(Mnemonic::escaped(tr("Let ssh Skip It")), row.unknown.line);
        fix->setObjectName(row.key + u"SkipUnknownButton"_s);
        fix->setToolTip(
            tr("Adds “IgnoreUnknown %1” as the first line of this host, so ssh skips %1 and reads on.").arg(row.key));
        row.unknown.line->layout()->addWidget(fix);
        connect(fix, &QPushButton::clicked, this, [this, key = row.key] {
            ignoreUnknown(key);
        });
    }
    describe(row);
}

void HostDetailView::ignoreUnknown(const QString &name)
{
    const HostBlock *b = block();
    if (!b)
        return;
    const QString key = u"IgnoreUnknown"_s;
    const QList<HostOption> &options = b->options;
    const auto list = std::find_if(options.cbegin(), options.cend(), [](const HostOption &option) {
        return SSHKeyword::equal(option.name, u"IgnoreUnknown");
    });
    if (list == options.cend()) {
        m_model->setOption(m_blockId, key, name);
        return;
    }
    QStringList names = list->value.split(u',', Qt::SkipEmptyParts);
    if (std::none_of(names.cbegin(), names.cend(), [&name](const QString &listed) {
            return SSHKeyword::equal(listed, name);
        }))
        names.append(name);
    // ssh only skips what it reads after the list: one standing below the option moves to the top.
    const bool below = std::any_of(options.cbegin(), list, [&name](const HostOption &option) {
        return SSHKeyword::equal(option.name, name);
    });
    if (below)
        m_model->setOption(m_blockId, key, QString());
    m_model->setOption(m_blockId, key, names.join(u','));
}

void HostDetailView::checkValue(const QString &key)
{
    OptionRow *row = findRow(key);
    if (!row || row->fields.isEmpty())
        return;
    const QString value = TextRules::trimmed(row->fields.constFirst().edit->text());
    // A keyword ssh does not know has its own warning; one it has not answered for yet waits.
    const auto answer = value.isEmpty() ? std::nullopt : m_keywords->answer(key);
    if (!answer || !answer->known)
        return;
    delete row->valueCheck.data(); // an answer about an older value would come too late
    auto *check = new SSHCheck(m_keywords->sshPath(), this);
    row->valueCheck = check;
    connect(check, &SSHCheck::finished, this, [this, key, value, check](const std::optional<SSHRejection> &rejection) {
        check->deleteLater();
        OptionRow *row = findRow(key);
        if (!row || row->valueCheck != check || TextRules::trimmed(row->fields.constFirst().edit->text()) != value)
            return;
        setNote(row->badValue,
                row->row,
                row->column,
                key + u"ValueNote"_s,
                rejection ? tr("ssh does not accept this value: %1").arg(rejection->message) : QString());
        describe(*row);
    });
    // As the file would hold it, so ssh splits it into the same words.
    check->probeOption(key, ConfigSyntax::writtenValue(key, value));
}

void HostDetailView::showRejection()
{
    const auto &line = m_rejectedLine;
    const bool here = line && line->block == m_blockId && block();
    const QString text = here ? tr("ssh stops reading the saved file here: %1").arg(m_rejectedMessage) : QString();
    const QString aliasText = here && line->option.isEmpty() ? text : QString();
    setNote(m_aliasRejected, m_identityLayout->parentWidget(), m_identityLayout, u"hostAliasRejectedNote"_s, aliasText);
    if (m_aliasEdit->toolTip() != aliasText) {
        m_aliasEdit->setToolTip(aliasText);
        m_aliasEdit->setAccessibleDescription(aliasText);
    }
    for (QList<OptionRow> *rows : {&m_rows, &m_customRows}) {
        for (OptionRow &row : *rows) {
            const bool marked = here && !line->option.isEmpty() && SSHKeyword::equal(row.key, line->option);
            if (!marked && !row.rejected.shown())
                continue;
            setNote(row.rejected, row.row, row.column, row.key + u"RejectedNote"_s, marked ? text : QString());
            describe(row);
            if (marked && row.advanced)
                setShowAdvanced(true);
        }
    }
}

void HostDetailView::chooseKeyFile(const QString &key, QLineEdit *edit)
{
    const QPointer<QLineEdit> field(edit); // the file may be reloaded while the dialog is open
    QFileDialog dialog(this, tr("Select Private Key"));
    dialog.setObjectName(u"privateKeyDialog"_s);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    dialog.setDirectory(QDir(m_locations.homeDir).filePath(u".ssh"_s));
    dialog.setAccessibleDescription(tr("Choose your SSH private key file"));
    dialog.resize(680, 440);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        auto *message = new QLabel(tr("Choose your SSH private key file"), &dialog);
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    }
    const std::optional<QString> chosen = Dialogs::chooseFile(&dialog);
    if (!chosen)
        return;
    if (!field)
        return;
    field->setText(tildePath(*chosen, m_locations.homeDir));
    fieldEdited(key, field);
}

void HostDetailView::showFocusedHelp()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    InfoButton *info = m_aliasEdit == focus ? m_aliasInfo : nullptr;
    for (const QList<OptionRow> *rows : {&m_rows, &m_customRows}) {
        for (const OptionRow &row : *rows) {
            if (!info && row.row->isAncestorOf(focus))
                info = row.info;
        }
    }
    if (info)
        info->click();
}

void HostDetailView::updateTabOrder()
{
    // The clear and help buttons take no focus; the browse and add buttons have no other key.
    QList<QWidget *> chain{m_aliasEdit};
    auto addRow = [&chain](const OptionRow &row) {
        for (const Field &f : row.fields) {
            chain.append(f.edit);
            if (f.browse)
                chain.append(f.browse);
        }
        for (QWidget *w : {static_cast<QWidget *>(row.picker), static_cast<QWidget *>(row.add)}) {
            if (w)
                chain.append(w);
        }
    };
    for (const OptionRow &row : std::as_const(m_rows))
        addRow(row);
    for (const OptionRow &row : std::as_const(m_customRows))
        addRow(row);
    chain << m_advancedButton << m_addOptionButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}
