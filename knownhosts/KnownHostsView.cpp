#include "knownhosts/KnownHostsView.h"

#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsTableModel.h"
#include "ui/Dialogs.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hostMinimumWidth = 160;

    // Tells the pane when a selection command starts afresh (a plain click, arrow keys), so the
    // entries the filter hides are dropped from the selection too, as a new click means. Rows that
    // stay selected through such a command are not reported as changed, so onCleared() follows
    // for the pane to take them back.
    class ClearAwareSelectionModel final : public QItemSelectionModel
    {
    public:
        using QItemSelectionModel::QItemSelectionModel;
        std::function<void()> onClear;
        std::function<void()> onCleared;

        void select(const QItemSelection &selection, SelectionFlags command) override
        {
            const bool clearing = (command & Clear) && !signalsBlocked() && onClear && onCleared;
            if (clearing)
                onClear();
            QItemSelectionModel::select(selection, command);
            if (clearing)
                onCleared();
        }
        using QItemSelectionModel::select;
    };

    // Hosts in the monospace font with a lock on hashed ones and a badge for a marker; the other
    // columns smaller and dimmer. The fingerprint's tooltip shows the whole line, broken up, as
    // key data has no spaces to wrap at.
    class EntryDelegate final : public QStyledItemDelegate
    {
    public:
        explicit EntryDelegate(QObject *parent)
            : QStyledItemDelegate(parent)
            , m_hostFont(Style::monospaceFont())
            , m_detailFont(Style::monospaceFont())
        {
            m_detailFont.setPointSizeF(Style::captionFont().pointSizeF());
        }

    protected:
        void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
        {
            QStyledItemDelegate::initStyleOption(option, index);
            if (index.column() == KnownHostsTableModel::HostColumn) {
                option->font = m_hostFont;
                if (index.data(KnownHostsTableModel::IsHashedRole).toBool()) {
                    option->icon =
                        SymbolIcon::icon(u"lock.fill"_s, Style::color(Style::Tone::Secondary, option->palette));
                    option->features |= QStyleOptionViewItem::HasDecoration;
                }
            } else {
                option->font = m_detailFont;
                option->palette.setColor(QPalette::Text, Style::color(Style::Tone::Secondary, option->palette));
            }
            option->fontMetrics = QFontMetrics(option->font);
            if (index.column() == KnownHostsTableModel::FingerprintColumn)
                option->textElideMode = Qt::ElideMiddle;
        }

        void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
        {
            const QString marker = index.data(KnownHostsTableModel::MarkerRole).toString();
            if (index.column() != KnownHostsTableModel::HostColumn || marker.isEmpty()) {
                QStyledItemDelegate::paint(painter, option, index);
                return;
            }
            QStyleOptionViewItem background = option;
            initStyleOption(&background, index);
            background.text.clear();
            background.icon = QIcon();
            const QWidget *widget = option.widget;
            QStyle *style = widget ? widget->style() : QApplication::style();
            style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

            const QFontMetrics metrics(m_detailFont);
            const int height = metrics.height() + 2;
            const QRect badge(option.rect.left() + 4,
                              option.rect.center().y() - height / 2,
                              qMin(metrics.horizontalAdvance(marker) + 10, option.rect.width() / 2),
                              height);
            const QColor tone =
                Style::color(marker == u"@revoked"_s ? Style::Tone::Destructive : Style::Tone::Accent, option.palette);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(tone);
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(QRectF(badge).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
            painter->setFont(m_detailFont);
            painter->drawText(badge, Qt::AlignCenter, metrics.elidedText(marker, Qt::ElideRight, badge.width() - 6));
            painter->restore();

            QStyleOptionViewItem rest = option;
            rest.rect.setLeft(badge.right() + 4);
            QStyledItemDelegate::paint(painter, rest, index);
        }

        bool helpEvent(QHelpEvent *event,
                       QAbstractItemView *view,
                       const QStyleOptionViewItem &option,
                       const QModelIndex &index) override
        {
            if (event->type() != QEvent::ToolTip || index.column() != KnownHostsTableModel::FingerprintColumn)
                return QStyledItemDelegate::helpEvent(event, view, option, index);
            const QString line = index.data(Qt::ToolTipRole).toString();
            QStringList pieces;
            for (qsizetype at = 0; at < line.size(); at += 64)
                pieces << line.mid(at, 64).toHtmlEscaped();
            QToolTip::showText(event->globalPos(),
                               u"<p style=\"white-space:pre\"><tt>"_s + pieces.join(u"<br>"_s) + u"</tt></p>"_s,
                               view);
            return true;
        }

    private:
        QFont m_hostFont;
        QFont m_detailFont;
    };

    // The filter field's rounded backdrop in the control background colour.
    class RoundedField final : public QWidget
    {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette().color(QPalette::Base));
            painter.drawRoundedRect(rect(), 8, 8);
        }
    };

    QString entryCountTitle(qsizetype n)
    {
        return n == 1 ? KnownHostsView::tr("Remove Entry") : KnownHostsView::tr("Remove %1 Entries").arg(n);
    }

    // "Remove 7 entries for alpha, beta, gamma, delta, epsilon and 2 more?": each host once, in file order.
    QString removalQuestion(const QList<KnownHostEntry> &entries, const QSet<QUuid> &ids)
    {
        constexpr qsizetype named = 5;
        QStringList hosts; // the first few, in file order
        QSet<QString> seen;
        qsizetype found = 0;
        for (const KnownHostEntry &entry : entries) {
            if (found == ids.size())
                break;
            if (!ids.contains(entry.id))
                continue;
            ++found;
            const QString host = entry.isHashed ? KnownHostsView::tr("(hashed)") : entry.host();
            if (seen.contains(host))
                continue;
            seen.insert(host);
            if (hosts.size() < named)
                hosts << host;
        }
        // One .arg() with every value: a host may hold "%1" itself.
        QString list = hosts.value(0);
        if (seen.size() > named) {
            list = KnownHostsView::tr("%1 and %2 more").arg(hosts.join(u", "_s), QString::number(seen.size() - named));
        } else if (hosts.size() > 1) {
            list = KnownHostsView::tr("%1 and %2").arg(hosts.first(hosts.size() - 1).join(u", "_s), hosts.constLast());
        }
        const QString n = QString::number(ids.size());
        return ids.size() == 1 ? KnownHostsView::tr("Remove %1 entry for %2?").arg(n, list)
                               : KnownHostsView::tr("Remove %1 entries for %2?").arg(n, list);
    }
} // namespace

KnownHostsView::KnownHostsView(const Locations &locations, QWidget *parent)
    : KnownHostsView(new KnownHostsModel(locations.knownHostsFile), parent)
{
    m_model->setParent(this);
}

KnownHostsView::KnownHostsView(KnownHostsModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_tableModel(new KnownHostsTableModel(m_model, this))
{
    setObjectName(u"knownHostsView"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new PaneHeader(tr("Known Hosts"), this);
    m_reloadButton = header->addButton(u"arrow.clockwise"_s, tr("Reload from disk"), u"reloadButton"_s);
    m_removeButton = header->addButton(u"minus.circle"_s, tr("Remove selected entries"), u"removeButton"_s);
    layout->addWidget(header);
    layout->addWidget(makeDivider(Qt::Horizontal, this));
    layout->addWidget(makeExplanationBand());
    layout->addWidget(makeFilterField());

    m_content = new QStackedWidget(this);
    m_content->addWidget(makeEmptyState());
    makeTable();
    m_content->addWidget(m_table);
    layout->addWidget(m_content, 1);
    layout->addWidget(makeDivider(Qt::Horizontal, this));

    // The message and the selection count share one line, so the count follows the message and
    // both are elided together when the pane is narrow.
    m_statusLine = new StatusLine(this);
    m_statusLine->setContentsMargins(16, 6, 16, 6);
    layout->addWidget(m_statusLine);

    connect(m_reloadButton, &QToolButton::clicked, m_model, &KnownHostsModel::load);
    connect(m_removeButton, &QToolButton::clicked, this, &KnownHostsView::confirmRemoval);
    connect(m_model, &KnownHostsModel::entriesChanged, this, [this] {
        // Every load makes new identifiers, so nothing selected before can still match.
        m_selectedIDs.clear();
        updateState();
    });
    connect(m_model, &KnownHostsModel::statusMessageChanged, this, &KnownHostsView::updateState);
    connect(m_tableModel, &QAbstractItemModel::modelReset, this, &KnownHostsView::syncViewSelection);
    ModelAlert::attach(this, m_model);
    updateState();
}

QWidget *KnownHostsView::makeExplanationBand()
{
    auto *band = new QWidget(this);
    band->setObjectName(u"explanationBand"_s);
    band->setAutoFillBackground(true);
    Style::whenRestyled(band, [band] {
        const QPalette source = Style::inheritedPalette(band);
        const QColor tint = source.color(QPalette::Highlight);
        const QColor base = source.color(QPalette::Window);
        // Blend by hand: a translucent fill over whatever the parent left is not guaranteed.
        QPalette p = band->palette();
        p.setColor(QPalette::Window,
                   QColor::fromRgbF(base.redF() * 0.94f + tint.redF() * 0.06f,
                                    base.greenF() * 0.94f + tint.greenF() * 0.06f,
                                    base.blueF() * 0.94f + tint.blueF() * 0.06f));
        band->setPalette(p);
    });

    auto *row = new QHBoxLayout(band);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(8);
    auto *icon = new IconLabel(u"info.circle.fill"_s, Style::Tone::Accent, 16, band);
    icon->setAlignment(Qt::AlignTop);
    auto *text = new QLabel(tr("SSH stores a fingerprint of each server you connect to. If a host key changes "
                               "unexpectedly, SSH will warn you of a possible man-in-the-middle attack."),
                            band);
    text->setObjectName(u"explanationLabel"_s);
    text->setWordWrap(true);
    text->setFont(Style::captionFont());
    Style::setTextColor(text, Style::Tone::Secondary);
    row->addWidget(icon, 0, Qt::AlignVCenter);
    row->addWidget(text, 1);
    return band;
}

QWidget *KnownHostsView::makeFilterField()
{
    auto *outer = new QWidget(this);
    auto *outerLayout = new QHBoxLayout(outer);
    outerLayout->setContentsMargins(16, 8, 16, 8);
    auto *field = new RoundedField(outer);
    auto *row = new QHBoxLayout(field);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(6);
    auto *icon = new IconLabel(u"magnifyingglass"_s, Style::Tone::Secondary, 14, field);
    m_filterEdit = new QLineEdit(field);
    m_filterEdit->setObjectName(u"filterEdit"_s);
    m_filterEdit->setFrame(false);
    m_filterEdit->setPlaceholderText(tr("Filter by hostname or algorithm"));
    m_filterEdit->setAccessibleName(tr("Filter by hostname or algorithm"));
    QPalette p = m_filterEdit->palette();
    p.setColor(QPalette::Base, Qt::transparent);
    m_filterEdit->setPalette(p);
    m_clearFilterButton = new QToolButton(field);
    m_clearFilterButton->setObjectName(u"clearFilterButton"_s);
    m_clearFilterButton->setAutoRaise(true);
    m_clearFilterButton->setIcon(SymbolIcon::icon(u"xmark.circle.fill"_s, Style::Tone::Secondary));
    m_clearFilterButton->setIconSize(QSize(14, 14));
    m_clearFilterButton->setToolTip(tr("Clear filter"));
    m_clearFilterButton->setAccessibleName(tr("Clear filter"));
    m_clearFilterButton->setVisible(false);
    row->addWidget(icon);
    row->addWidget(m_filterEdit, 1);
    row->addWidget(m_clearFilterButton);
    outerLayout->addWidget(field);

    connect(m_filterEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_clearFilterButton->setVisible(!text.isEmpty());
        m_tableModel->setFilterText(text);
    });
    connect(m_clearFilterButton, &QToolButton::clicked, m_filterEdit, &QLineEdit::clear);
    return outer;
}

QWidget *KnownHostsView::makeEmptyState()
{
    auto *page = new QWidget(this);
    page->setObjectName(u"emptyState"_s);
    auto *outer = new QVBoxLayout(page);
    auto *stack = new QWidget(page);
    stack->setMaximumWidth(300);
    auto *column = new QVBoxLayout(stack);
    column->setSpacing(12);
    auto *icon = new IconLabel(u"checkmark.shield"_s, Style::Tone::Secondary, 48, stack);
    auto *title = new QLabel(tr("No known hosts found"), stack);
    title->setFont(Style::titleFont());
    title->setAlignment(Qt::AlignCenter);
    auto *detail = new QLabel(tr("Entries are added automatically when you first connect to a new host."), stack);
    detail->setFont(Style::captionFont());
    Style::setTextColor(detail, Style::Tone::Tertiary);
    detail->setAlignment(Qt::AlignCenter);
    detail->setWordWrap(true);
    column->addWidget(icon);
    column->addWidget(title);
    column->addWidget(detail);
    outer->addStretch(1);
    outer->addWidget(stack, 0, Qt::AlignHCenter);
    outer->addStretch(1);
    return page;
}

void KnownHostsView::makeTable()
{
    m_table = new QTableView(this);
    m_table->setObjectName(u"entryTable"_s);
    m_table->setAccessibleName(tr("Known hosts"));
    m_table->setModel(m_tableModel);
    auto *selection = new ClearAwareSelectionModel(m_tableModel, m_table);
    selection->onClear = [this] {
        if (!m_syncingSelection)
            m_selectedIDs.clear();
    };
    selection->onCleared = [this, selection] {
        if (m_syncingSelection)
            return;
        for (const QItemSelectionRange &range : selection->selection()) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                m_selectedIDs.insert(m_tableModel->entryAt(row).id);
        }
        updateState();
    };
    m_table->setSelectionModel(selection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setCornerButtonEnabled(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setItemDelegate(new EntryDelegate(m_table));
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->setIconSize(QSize(12, 12));
    m_table->installEventFilter(this);

    // Fixed row heights keep a million rows cheap: nothing is measured per row.
    QHeaderView *rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + 8);

    QHeaderView *columns = m_table->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setMinimumSectionSize(80);
    columns->setStretchLastSection(true);
    columns->resizeSection(KnownHostsTableModel::HostColumn, 220);
    columns->resizeSection(KnownHostsTableModel::AlgorithmColumn, 140);
    connect(columns, &QHeaderView::sectionResized, this, [columns](int section, int, int size) {
        if (section == KnownHostsTableModel::HostColumn && size < hostMinimumWidth)
            columns->resizeSection(section, hostMinimumWidth);
    });

    connect(selection,
            &QItemSelectionModel::selectionChanged,
            this,
            [this](const QItemSelection &selected, const QItemSelection &deselected) {
                if (m_syncingSelection)
                    return;
                for (const QItemSelectionRange &range : deselected) {
                    for (int row = range.top(); row <= range.bottom(); ++row)
                        m_selectedIDs.remove(m_tableModel->entryAt(row).id);
                }
                for (const QItemSelectionRange &range : selected) {
                    for (int row = range.top(); row <= range.bottom(); ++row)
                        m_selectedIDs.insert(m_tableModel->entryAt(row).id);
                }
                updateState();
            });
    connect(m_table, &QWidget::customContextMenuRequested, this, &KnownHostsView::showContextMenu);
}

bool KnownHostsView::eventFilter(QObject *watched, QEvent *event)
{
    // Delete removes the selection after the same question as the Remove button; the override keeps
    // a window shortcut on the same key from taking it while the table has the focus.
    if (watched == m_table && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Delete)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            confirmRemoval();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void KnownHostsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_model->load();
    }
}

void KnownHostsView::setSelectedIDs(const QSet<QUuid> &ids)
{
    m_selectedIDs = ids;
    syncViewSelection();
    updateState();
}

// Shows m_selectedIDs in the table; runs after every reset of its rows and every change made in code.
void KnownHostsView::syncViewSelection()
{
    QItemSelection selection;
    const QList<int> rows = m_tableModel->rowsOf(m_selectedIDs);
    const int lastColumn = KnownHostsTableModel::ColumnCount - 1;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows.at(j + 1) == rows.at(j) + 1)
            ++j;
        selection.append(
            QItemSelectionRange(m_tableModel->index(rows.at(i), 0), m_tableModel->index(rows.at(j), lastColumn)));
        i = j + 1;
    }
    m_syncingSelection = true;
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_syncingSelection = false;
}

void KnownHostsView::showContextMenu(const QPoint &pos)
{
    const QModelIndex index = m_table->indexAt(pos);
    if (!index.isValid())
        return;
    // The menu acts on the whole selection when opened on a selected row, otherwise on that row.
    const QUuid id = m_tableModel->entryAt(index.row()).id;
    const QSet<QUuid> target = m_selectedIDs.contains(id) ? m_selectedIDs : QSet<QUuid>{id};

    auto *menu = new QMenu(this);
    menu->setObjectName(u"entryContextMenu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *remove =
        menu->addAction(SymbolIcon::icon(u"trash"_s, Style::Tone::Destructive), entryCountTitle(target.size()));
    remove->setObjectName(u"removeEntryAction"_s);
    connect(remove, &QAction::triggered, this, [this, target] {
        setSelectedIDs(target);
        confirmRemoval();
    });
    menu->popup(m_table->viewport()->mapToGlobal(pos));
}

void KnownHostsView::confirmRemoval()
{
    const qsizetype n = m_selectedIDs.size();
    if (n == 0)
        return;
    const QString title = entryCountTitle(n) + u'?';
    const QString text = n == 1 ? tr("The host will be removed from known_hosts. SSH will ask you to verify the "
                                     "fingerprint on next connection.")
                                : tr("The hosts will be removed from known_hosts. SSH will ask you to verify the "
                                     "fingerprint on next connection.");
    // Cancel is the default: Return alone never removes.
    const int choice =
        Dialogs::ask(this,
                     title,
                     removalQuestion(m_model->entries(), m_selectedIDs) + u' ' + text,
                     {{tr("Remove"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                     QMessageBox::Warning,
                     1);
    if (choice != 0)
        return;
    const QSet<QUuid> ids = m_selectedIDs;
    m_model->removeEntries(ids);
    setSelectedIDs({});
}

void KnownHostsView::updateState()
{
    m_content->setCurrentIndex(m_model->entries().isEmpty() ? 0 : 1);
    QString status = m_model->statusMessage();
    if (!m_selectedIDs.isEmpty())
        status += u"  "_s + tr("· %1 selected").arg(m_selectedIDs.size());
    m_statusLine->setFullText(status);
    m_removeButton->setEnabled(!m_selectedIDs.isEmpty());
}
