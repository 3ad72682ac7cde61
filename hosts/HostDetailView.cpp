#include "hosts/HostDetailView.h"

#include "engine/HostBlock.h"
#include "engine/OptionCatalogue.h"
#include "engine/SSHConfigModel.h"
#include "hosts/AddOptionSheet.h"
#include "ui/Blanks.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

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
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
    const QString identityFileKey = u"IdentityFile"_s;
    const QString aliasHelp =
        u"The alias used in `ssh <alias>` commands. Can be a short nickname, a wildcard pattern like *.example.com, "
        "or * for global defaults that apply to all hosts. Does not need to match the real hostname."_s;

    // The rounded group box a form section sits in.
    class SectionBox final : public QWidget
    {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            QColor border = Style::label();
            border.setAlphaF(0.12f);
            p.setPen(border);
            p.setBrush(palette().color(QPalette::Base));
            p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        }
    };

    // Borderless fields on a white card would be invisible while empty; a faint fill shows where to type.
    void makeBorderlessField(QLineEdit *edit)
    {
        edit->setFrame(false);
        QPalette p = edit->palette();
        QColor fill = Style::label();
        fill.setAlphaF(0.045f);
        p.setColor(QPalette::Base, fill);
        edit->setPalette(p);
        edit->setTextMargins(4, 1, 4, 1);
    }

    QToolButton *iconButton(const QString &symbol, const QColor &tint, const QString &toolTip, QWidget *parent)
    {
        auto *button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::TabFocus);
        button->setIcon(SymbolIcon::icon(symbol, tint));
        button->setIconSize(QSize(14, 14));
        button->setToolTip(toolTip);
        button->setAccessibleName(toolTip);
        return button;
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
{
    setObjectName(u"hostDetailView"_s);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    buildForm();
    connect(model, &SSHConfigModel::blockChanged, this, &HostDetailView::onBlockChanged);
    connect(model, &SSHConfigModel::blocksChanged, this, [this] {
        // A reload gives every block a new id; a removed block leaves nothing to show.
        if (block())
            refill(false);
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
        label->setFont(Style::subheadlineFont());
        Style::setTextColor(label, Style::secondary());
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
    r.row = new QWidget(parent);
    r.row->setObjectName(key + u"Row"_s);
    auto *layout = new QHBoxLayout(r.row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(6);

    auto *label = new QLabel(key, r.row);
    label->setMinimumWidth(labelColumnWidth());
    layout->addWidget(label);

    const auto &pickers = OptionCatalogue::optionPickerValues();
    const auto pickerValues = pickers.constFind(key);
    if (pickerValues != pickers.cend()) {
        layout->addStretch(1);
        r.picker = new QComboBox(r.row);
        r.picker->setObjectName(key + u"Picker"_s);
        r.picker->setAccessibleName(key);
        r.picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        r.picker->setMinimumWidth(150); // keeps the column of pickers from looking ragged
        r.picker->addItem(tr("(unset)"));
        r.picker->insertSeparator(1);
        r.picker->addItems(*pickerValues);
        label->setBuddy(r.picker);
        layout->addWidget(r.picker);
        connect(r.picker, &QComboBox::activated, this, [this, key, picker = r.picker](int index) {
            // Item 0 is "(unset)", item 1 the separator.
            writeOption(key, index >= 2 ? picker->itemText(index) : QString());
            picker->setPlaceholderText({});
        });
    } else {
        r.edit = new QLineEdit(r.row);
        r.edit->setObjectName(key + u"Edit"_s);
        r.edit->setAccessibleName(key);
        makeBorderlessField(r.edit);
        r.edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.edit->setFont(Style::monospaceFont());
        label->setBuddy(r.edit);
        layout->addWidget(r.edit, 1);

        r.clear = iconButton(u"xmark.circle.fill"_s, Style::tertiary(), tr("Clear %1").arg(key), r.row);
        r.clear->setObjectName(key + u"ClearButton"_s);
        r.clear->hide();
        layout->addWidget(r.clear);

        connect(r.edit, &QLineEdit::textEdited, this, [this, key](const QString &text) {
            writeOption(key, text);
        });
        connect(r.clear, &QToolButton::clicked, this, [this, key, edit = r.edit] {
            edit->clear();
            writeOption(key, QString());
        });
        if (key == identityFileKey) {
            r.browse = iconButton(u"folder"_s, Style::secondary(), tr("Browse for private key file"), r.row);
            r.browse->setObjectName(u"browseButton"_s);
            layout->addWidget(r.browse);
            connect(r.browse, &QToolButton::clicked, this, [this, key] {
                const auto found = m_rowIndex.constFind(key);
                if (found != m_rowIndex.cend())
                    chooseKeyFile(m_rows.at(*found));
            });
        }
    }

    const auto &help = OptionCatalogue::optionHelp();
    const auto helpText = help.constFind(key);
    if (helpText != help.cend()) {
        r.info = new InfoButton(*helpText, r.row);
        r.info->setAccessibleName(tr("Help for %1").arg(key));
        layout->addWidget(r.info);
    }
    return r;
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
        auto *label = new QLabel(tr("Host Alias"), row);
        label->setMinimumWidth(labelColumnWidth());
        m_aliasEdit = new QLineEdit(row);
        m_aliasEdit->setObjectName(u"hostAliasEdit"_s);
        m_aliasEdit->setAccessibleName(tr("Host Alias"));
        makeBorderlessField(m_aliasEdit);
        m_aliasEdit->setFont(Style::monospaceFont());
        label->setBuddy(m_aliasEdit);
        m_aliasInfo = new InfoButton(aliasHelp, row);
        m_aliasInfo->setAccessibleName(tr("Help for Host Alias"));
        rowLayout->addWidget(label);
        rowLayout->addWidget(m_aliasEdit, 1);
        rowLayout->addWidget(m_aliasInfo);
        boxLayout->addWidget(row);
        connect(m_aliasEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
            if (block())
                m_model->setPattern(m_blockId, text);
        });
    }

    for (const auto &catalogueSection : OptionCatalogue::optionSections()) {
        Section section;
        QWidget *box = nullptr;
        QVBoxLayout *boxLayout = nullptr;
        section.container = makeSection(catalogueSection.title, &box, &boxLayout);
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
        Style::setTextColor(m_advancedButton, Style::secondary());
        m_addOptionButton = new QToolButton(row);
        m_addOptionButton->setObjectName(u"addOptionButton"_s);
        m_addOptionButton->setAutoRaise(true);
        m_addOptionButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        m_addOptionButton->setText(tr("Add Custom Option"));
        m_addOptionButton->setIcon(SymbolIcon::icon(u"plus.circle"_s, Style::blue()));
        Style::setTextColor(m_addOptionButton, Style::blue());
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
    m_advancedButton->setText(show ? tr("Hide Advanced Options") : tr("Show Advanced Options"));
    m_advancedButton->setIcon(
        SymbolIcon::icon(show ? u"chevron.up.circle"_s : u"chevron.down.circle"_s, Style::secondary()));
}

void HostDetailView::fillRow(OptionRow &row, const QString &value, bool force)
{
    if (row.edit) {
        // Leave the field being typed in alone: its untrimmed text is the user's, not ours.
        if (force || (!row.edit->hasFocus() && Blanks::trimmed(row.edit->text()) != value)) {
            if (row.edit->text() != value)
                row.edit->setText(value);
        }
        row.clear->setVisible(!value.isEmpty());
    } else if (row.picker) {
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
    }
}

void HostDetailView::refill(bool force)
{
    const HostBlock *b = block();
    if (!b)
        return;
    if (force || (!m_aliasEdit->hasFocus() && m_aliasEdit->text() != b->pattern))
        m_aliasEdit->setText(b->pattern);
    for (OptionRow &row : m_rows)
        fillRow(row, b->options.value(row.key), force);
    syncCustomSection();
    for (OptionRow &row : m_customRows)
        fillRow(row, b->options.value(row.key), force);
}

void HostDetailView::onBlockChanged(const QUuid &id)
{
    if (id == m_blockId)
        refill(false);
}

void HostDetailView::writeOption(const QString &key, const QString &text)
{
    const HostBlock *b = block();
    if (!b)
        return;
    const bool had = b->options.contains(key);
    m_model->setOption(m_blockId, key, text);
    // A name added without a value disappears like any other option once its value is removed.
    if (had && Blanks::trimmed(text).isEmpty())
        m_pendingKeys.removeAll(key);
    // setOption may have found nothing to change; keep the clear button in step either way.
    if (const HostBlock *after = block()) {
        if (const auto found = m_rowIndex.constFind(key); found != m_rowIndex.cend()) {
            OptionRow &row = m_rows[*found];
            if (row.clear)
                row.clear->setVisible(!after->options.value(key).isEmpty());
        }
    }
    syncCustomSection();
}

void HostDetailView::syncCustomSection()
{
    const HostBlock *b = block();
    QStringList keys;
    if (b) {
        const QSet<QString> &known = OptionCatalogue::allKnownKeys();
        for (auto it = b->options.cbegin(); it != b->options.cend(); ++it) {
            if (!known.contains(it.key()))
                keys.append(it.key());
        }
        for (const QString &pending : std::as_const(m_pendingKeys)) {
            if (!keys.contains(pending))
                keys.append(pending);
        }
    }
    // Plain code-unit order: "Zeta" before "alpha".
    std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    if (keys == m_customKeys) {
        for (OptionRow &row : m_customRows)
            row.clear->setVisible(b && !b->options.value(row.key).isEmpty());
        return;
    }

    QWidget *focused = nullptr;
    for (const OptionRow &row : std::as_const(m_customRows)) {
        if (row.edit->hasFocus())
            focused = row.edit;
        // Rows may be torn down from inside one of their own signals, so delete them later.
        row.row->hide();
        row.row->setObjectName({});
        for (QObject *child : row.row->findChildren<QObject *>())
            child->setObjectName({});
        m_customLayout->removeWidget(row.row);
        row.row->deleteLater();
    }
    m_customRows.clear();
    m_customKeys = keys;

    QWidget *box = m_customLayout->parentWidget();
    for (const QString &key : std::as_const(keys)) {
        OptionRow row = makeRow(key, box);
        m_customLayout->addWidget(row.row);
        fillRow(row, b->options.value(key), true);
        m_customRows.append(row);
    }
    m_customSection->setVisible(!keys.isEmpty());
    updateTabOrder();
    if (focused)
        setFocus();
}

void HostDetailView::addCustomOption()
{
    if (!block())
        return;
    auto *sheet = new AddOptionSheet(
        [self = QPointer<HostDetailView>(this), id = m_blockId](const QString &name) {
            if (!self || self->m_blockId != id)
                return;
            const HostBlock *b = self->block();
            if (!b || b->options.contains(name) || self->m_pendingKeys.contains(name))
                return;
            if (const auto found = self->m_rowIndex.constFind(name); found != self->m_rowIndex.cend()) {
                // A catalogue option already has its row; make sure it is on screen.
                const OptionRow &row = self->m_rows.at(*found);
                if (row.advanced)
                    self->setShowAdvanced(true);
                QWidget *field = row.edit ? static_cast<QWidget *>(row.edit) : row.picker;
                self->ensureWidgetVisible(field);
                field->setFocus();
                return;
            }
            self->m_pendingKeys.append(name);
            self->syncCustomSection();
            for (const OptionRow &row : std::as_const(self->m_customRows)) {
                if (row.key == name) {
                    self->ensureWidgetVisible(row.edit);
                    row.edit->setFocus();
                }
            }
        },
        window());
    sheet->open();
}

void HostDetailView::chooseKeyFile(const OptionRow &row)
{
    QFileDialog dialog(this, tr("Select Private Key"));
    dialog.setObjectName(u"privateKeyDialog"_s);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
    const QString value = tildePath(*chosen, m_locations.homeDir);
    row.edit->setText(value);
    writeOption(row.key, value);
}

void HostDetailView::updateTabOrder()
{
    QList<QWidget *> chain{m_aliasEdit, m_aliasInfo};
    auto addRow = [&chain](const OptionRow &row) {
        for (QWidget *w : {static_cast<QWidget *>(row.edit),
                           static_cast<QWidget *>(row.picker),
                           static_cast<QWidget *>(row.clear),
                           static_cast<QWidget *>(row.browse),
                           static_cast<QWidget *>(row.info)}) {
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
