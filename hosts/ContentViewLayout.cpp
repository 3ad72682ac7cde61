#include "engine/HostBlock.h"
#include "engine/SSHConfigModel.h"
#include "hosts/AddHostSheet.h"
#include "hosts/ConfigSources.h"
#include "hosts/ContentView.h"
#include "hosts/HostDetailView.h"
#include "hosts/ResolvedOptionsModel.h"
#include "hosts/ResolvedView.h"
#include "hosts/SidebarDelegate.h"
#include "hosts/SidebarModel.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsView.h"
#include "scripts/BinScriptsView.h"
#include "ui/Dialogs.h"
#include "ui/Mnemonic.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace {
    // A Ctrl+click on the selected row would leave nothing highlighted while its pane stays open;
    // the sidebar always keeps the row the detail column shows.
    class SidebarListView final : public QListView
    {
    public:
        using QListView::QListView;

    protected:
        QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                             const QEvent *event) const override
        {
            QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
            if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
                flags = index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
            return flags;
        }
    };

    // A hairline between the sidebar and the detail column, like the other dividers.
    class DividerHandle final : public QSplitterHandle
    {
    public:
        using QSplitterHandle::QSplitterHandle;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            // The handle reaches past its line for an easier grab; the line is the contents rect.
            fillHairline(painter, contentsRect(), Style::color(Style::Tone::Hairline, palette()));
        }
    };

    class DividedSplitter final : public QSplitter
    {
    public:
        using QSplitter::QSplitter;

    protected:
        QSplitterHandle *createHandle() override
        {
            return new DividerHandle(orientation(), this);
        }
    };

    // An inline notice in the manner of the desktop's message bars: a rounded box washed with the
    // warning colour over the window background, so it reads in light and dark palettes alike.
    class MessageBar final : public QWidget
    {
    public:
        static constexpr int outerMargin = 8;

        explicit MessageBar(QWidget *parent)
            : QWidget(parent)
        {
            setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
        }

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            QColor fill = Style::color(Style::Tone::Warning, palette());
            fill.setAlphaF(0.14f);
            QColor border = fill;
            border.setAlphaF(0.55f);
            const int inset = outerMargin;
            drawPanel(painter, rect().adjusted(inset, inset, -inset, -inset), 4, fill, border);
        }
    };

    constexpr int sidebarMinWidth = 210;
    constexpr int sidebarIdealWidth = 240;
    constexpr int sidebarMaxWidth = 300;
} // namespace

ContentView::ContentView(SSHConfigModel *model, const Locations &locations, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_locations(locations)
    , m_sources(new ConfigSources(model, locations, this))
    , m_sidebarModel(new SidebarModel(model, m_sources, this))
    , m_knownHosts(new KnownHostsModel(locations.knownHostsFile, this))
{
    setObjectName(u"contentView"_s);
    setMinimumSize(820, 540);

    m_splitter = new DividedSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"mainSplitter"_s);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);
    m_splitter->addWidget(buildSidebar());

    m_stack = new QStackedWidget(m_splitter);
    m_stack->setObjectName(u"detailColumn"_s);
    m_emptyPage = buildEmptyState();
    m_hostPage = buildHostPage();
    m_panePage = new QWidget(m_stack);
    auto *paneLayout = new QVBoxLayout(m_panePage);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_emptyPage);
    m_stack->addWidget(m_hostPage);
    m_stack->addWidget(m_panePage);
    m_splitter->addWidget(m_stack);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({sidebarIdealWidth, 820 - sidebarIdealWidth});

    m_outsideBar = buildOutsideChangeBar();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_outsideBar);
    layout->addWidget(m_splitter, 1);

    connect(model, &SSHConfigModel::statusMessageChanged, this, [this] {
        m_status->setFullText(m_model->statusMessage());
    });
    ModelAlert::attach(this, model);
    connect(model, &SSHConfigModel::blocksChanged, this, [this] {
        // The sidebar model has just reset; put the highlight back and redraw the detail column.
        syncListSelection();
        updateDetail();
        emit selectionChanged();
    });
    connect(model, &SSHConfigModel::blockChanged, this, [this](const QUuid &id) {
        if (m_selected && m_selected->isHost() && m_selected->hostId == id)
            updateHostHeader();
    });
    connect(model, &SSHConfigModel::aboutToReloadFromDisk, this, [this] {
        const auto index = selectedHostIndex();
        m_reselectPattern = index ? std::optional(m_model->blocks().at(*index).pattern) : std::nullopt;
    });
    connect(model, &SSHConfigModel::reloadedFromDisk, this, &ContentView::reselectAfterReload);
    // After the sidebar has taken in the change, never from ConfigSources directly: that one
    // speaks while the config's blocks change, before the sidebar's rows follow them.
    connect(m_sidebarModel, &SidebarModel::rowsUpdated, this, [this] {
        syncListSelection();
        if (m_selected && m_selected->isIncluded())
            updateDetail();
    });
    connect(model, &SSHConfigModel::hasOutsideChangeChanged, this, [this] {
        m_outsideBar->setVisible(m_model->hasOutsideChange());
    });
    updateDetail();
}

QWidget *ContentView::buildOutsideChangeBar()
{
    // A strip under the toolbar, closed off from the columns below by a hairline like theirs.
    auto *strip = new QWidget(this);
    strip->setObjectName(u"outsideChangeBar"_s);
    auto *stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->setSpacing(0);
    auto *bar = new MessageBar(strip);
    const QString text = tr("%1 changed on disk").arg(configDisplayPath());
    bar->setAccessibleName(text);
    stripLayout->addWidget(bar);
    stripLayout->addWidget(makeDivider(Qt::Horizontal, strip));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(MessageBar::outerMargin + 10,
                               MessageBar::outerMargin + 6,
                               MessageBar::outerMargin + 6,
                               MessageBar::outerMargin + 6);
    layout->setSpacing(8);
    auto *icon = new IconLabel(u"exclamationmark.triangle.fill"_s,
                               Style::Tone::Warning,
                               style()->pixelMetric(QStyle::PM_SmallIconSize),
                               bar);
    auto *label = new QLabel(text, bar);
    label->setObjectName(u"outsideChangeLabel"_s);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto *reload = new QPushButton(Mnemonic::escaped(tr("Reload")), bar);
    reload->setObjectName(u"outsideReloadButton"_s);
    auto *keep = new QPushButton(Mnemonic::escaped(tr("Keep Mine")), bar);
    keep->setObjectName(u"outsideKeepButton"_s);
    layout->addWidget(icon);
    layout->addWidget(label, 1);
    layout->addWidget(reload);
    layout->addWidget(keep);
    connect(reload, &QPushButton::clicked, this, &ContentView::reload);
    connect(keep, &QPushButton::clicked, m_model, &SSHConfigModel::keepMine);
    strip->hide();
    return strip;
}

QWidget *ContentView::buildSidebar()
{
    auto *sidebar = new QWidget(this);
    sidebar->setObjectName(u"sidebar"_s);
    sidebar->setMinimumWidth(sidebarMinWidth);
    sidebar->setMaximumWidth(sidebarMaxWidth);
    auto *layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *searchBar = new QWidget(sidebar);
    searchBar->setFixedHeight(Style::headerHeight);
    searchBar->setAutoFillBackground(true);
    searchBar->setBackgroundRole(QPalette::Base);
    auto *searchLayout = new QHBoxLayout(searchBar);
    searchLayout->setContentsMargins(Style::sideMargin, 0, Style::sideMargin, 0);
    searchLayout->setSpacing(6);
    auto *glass = new IconLabel(u"magnifyingglass"_s, Style::Tone::Tertiary, 14, searchBar);
    m_search = new QLineEdit(searchBar);
    m_search->setObjectName(u"searchEdit"_s);
    m_search->setFrame(false);
    m_search->setPlaceholderText(tr("Search hosts"));
    m_search->setAccessibleName(tr("Search hosts"));
    m_searchClear = new QToolButton(searchBar);
    m_searchClear->setObjectName(u"searchClearButton"_s);
    m_searchClear->setAutoRaise(true);
    m_searchClear->setFocusPolicy(Qt::NoFocus); // Escape in the field clears it too
    m_searchClear->setIcon(SymbolIcon::icon(u"xmark.circle.fill"_s, Style::Tone::Tertiary));
    m_searchClear->setIconSize(QSize(14, 14));
    m_searchClear->setToolTip(tr("Clear search"));
    m_searchClear->setAccessibleName(tr("Clear search"));
    m_searchClear->hide();
    searchLayout->addWidget(glass);
    searchLayout->addWidget(m_search, 1);
    searchLayout->addWidget(m_searchClear);
    layout->addWidget(searchBar);
    layout->addWidget(makeDivider(Qt::Horizontal, sidebar));

    m_list = new SidebarListView(sidebar);
    m_list->setObjectName(u"sidebarList"_s);
    m_list->setAccessibleName(tr("Hosts and tools"));
    m_list->setModel(m_sidebarModel);
    m_list->setItemDelegate(new SidebarDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setMouseTracking(true);
    m_search->installEventFilter(this);
    auto *removeKey = new QAction(tr("Remove"), m_list);
    removeKey->setObjectName(u"removeHostKeyAction"_s);
    removeKey->setShortcut(QKeySequence::Delete);
    // Only in the list: the panes handle Delete for their own rows.
    removeKey->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(removeKey);
    connect(removeKey, &QAction::triggered, this, &ContentView::removeSelectedHost);
    layout->addWidget(m_list, 1);
    layout->addWidget(makeDivider(Qt::Horizontal, sidebar));

    m_status = new StatusLine(sidebar);
    m_status->setFullText(m_model->statusMessage());
    layout->addWidget(m_status);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_searchClear->setVisible(!text.isEmpty());
        m_sidebarModel->setSearchText(text);
        syncListSelection();
    });
    connect(m_searchClear, &QToolButton::clicked, this, [this] {
        m_search->clear();
        m_search->setFocus();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // The list moves its highlight by itself when rows come and go; only the user's choice counts.
        if (m_syncingSelection || m_sidebarModel->isUpdatingRows())
            return;
        const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
        if (selected.isEmpty())
            return;
        if (const auto item = m_sidebarModel->itemAt(selected.constFirst()))
            setSelectedItem(item);
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ContentView::showContextMenu);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        const auto item = m_sidebarModel->itemAt(index);
        if (!item || !(item->isHost() || item->isIncluded()))
            return;
        setSelectedItem(item);
        connectSelectedHost();
    });
    return sidebar;
}

QWidget *ContentView::buildEmptyState()
{
    auto *page = new QWidget(m_stack);
    page->setObjectName(u"emptyState"_s);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->setSpacing(20);
    layout->addStretch(1);

    auto *icon = new IconLabel(u"terminal"_s, Style::Tone::Secondary, 56, page);
    layout->addWidget(icon);

    auto *name = new QLabel(tr("Korvel"), page);
    name->setFont(Style::largeTitleFont());
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    auto *hint = new QLabel(tr("Select a host to edit, or use the toolbar to add a new one."), page);
    Style::setTextColor(hint, Style::Tone::Secondary);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    auto *add = new QPushButton(Mnemonic::escaped(tr("Add Host")), page);
    add->setObjectName(u"emptyAddHostButton"_s);
    // The prominent button wears the selection colours, whichever the palette has.
    Style::whenRestyled(add, [add] {
        const QPalette source = Style::inheritedPalette(add);
        QPalette prominent = add->palette();
        prominent.setColor(QPalette::Button, source.color(QPalette::Highlight));
        prominent.setColor(QPalette::ButtonText, source.color(QPalette::HighlightedText));
        add->setPalette(prominent);
    });
    buttons->addWidget(add);
    connect(add, &QPushButton::clicked, this, &ContentView::addHost);
    const struct {
        QString text;
        QString objectName;
        SidebarItem item;
    } tools[] = {{tr("Known Hosts"), u"emptyKnownHostsButton"_s, SidebarItem::knownHosts()},
                 {tr("SSH Keys"), u"emptySshKeysButton"_s, SidebarItem::sshKeys()},
                 {tr("Local Scripts"), u"emptyScriptsButton"_s, SidebarItem::scripts()}};
    for (const auto &tool : tools) {
        auto *button = new QPushButton(Mnemonic::escaped(tool.text), page);
        button->setObjectName(tool.objectName);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, item = tool.item] {
            setSelectedItem(item);
        });
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return page;
}

QWidget *ContentView::buildHostPage()
{
    auto *page = new QWidget(m_stack);
    page->setObjectName(u"hostPage"_s);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QWidget(page);
    header->setObjectName(u"hostHeader"_s);
    header->setFixedHeight(Style::headerHeight);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(Style::sideMargin, 0, Style::sideMargin, 0);
    headerLayout->setSpacing(8);
    m_hostIcon = new IconLabel(QString(), Style::Tone::Accent, 16, header);
    m_hostIcon->setFixedSize(18, 18);
    m_hostName = new QLabel(header);
    m_hostName->setObjectName(u"hostNameLabel"_s);
    m_hostName->setFont(Style::titleFont());
    m_hostName->setTextFormat(Qt::PlainText);
    m_hostName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_hostOrigin = new QLabel(header);
    m_hostOrigin->setObjectName(u"hostOriginLabel"_s);
    m_hostOrigin->setTextFormat(Qt::PlainText);
    Style::setTextColor(m_hostOrigin, Style::Tone::Secondary);
    m_openFile = new QPushButton(Mnemonic::escaped(tr("Open File")), header);
    m_openFile->setObjectName(u"openFileButton"_s);
    m_openFile->setToolTip(tr("Open the file this host is defined in"));
    m_resolvedToggle = new QToolButton(header);
    m_resolvedToggle->setObjectName(u"resolvedToggle"_s);
    m_resolvedToggle->setCheckable(true);
    m_resolvedToggle->setAutoRaise(true);
    m_resolvedToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_resolvedToggle->setIcon(SymbolIcon::icon(u"eye"_s));
    // A checked tool button's frame alone is faint in a dark palette; the accent eye says "on".
    connect(m_resolvedToggle, &QToolButton::toggled, this, [this](bool on) {
        m_resolvedToggle->setIcon(on ? SymbolIcon::icon(u"eye"_s, Style::Tone::Accent) : SymbolIcon::icon(u"eye"_s));
    });
    m_resolvedToggle->setText(tr("What ssh uses"));
    m_resolvedToggle->setToolTip(tr("Show every value ssh takes for this host, and where it comes from"));
    headerLayout->addWidget(m_hostIcon);
    headerLayout->addWidget(m_hostName, 1);
    headerLayout->addWidget(m_hostOrigin);
    headerLayout->addWidget(m_openFile);
    headerLayout->addWidget(m_resolvedToggle);
    layout->addWidget(header);
    layout->addWidget(makeDivider(Qt::Horizontal, page));

    m_hostBody = new QStackedWidget(page);
    m_detail = new HostDetailView(m_model, m_locations, m_hostBody);
    m_detail->setKnownHosts(m_knownHosts, m_sources);
    m_hostBody->addWidget(m_detail);

    // An included host is shown, never edited: its file is the user's to change.
    m_includedOptions = new ResolvedOptionsModel(this);
    auto *includedPage = new QWidget(m_hostBody);
    auto *includedLayout = new QVBoxLayout(includedPage);
    includedLayout->setContentsMargins(Style::sideMargin, 10, Style::sideMargin, Style::sideMargin);
    m_includedTable = ResolvedView::makeTable(m_includedOptions, tr("Options of this host"), includedPage);
    m_includedTable->setObjectName(u"includedOptionsTable"_s);
    m_includedTable->setColumnHidden(ResolvedOptionsModel::SourceColumn, true);
    includedLayout->addWidget(m_includedTable);
    m_hostBody->addWidget(includedPage);

    m_resolved = new ResolvedView(m_model, m_sources, m_locations, m_hostBody);
    m_hostBody->addWidget(m_resolved);
    layout->addWidget(m_hostBody, 1);

    connect(m_resolvedToggle, &QToolButton::toggled, this, &ContentView::updateHostBody);
    connect(m_openFile, &QPushButton::clicked, this, &ContentView::openIncludedFile);
    return page;
}
