#include "hosts/MainWindow.h"

#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "ui/Mnemonic.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QToolBar>

using namespace Qt::StringLiterals;

MainWindow::MainWindow(SSHConfigModel *model, const Locations &locations, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
    , m_content(new ContentView(model, locations, this))
{
    setObjectName(u"mainWindow"_s);
    setWindowTitle(tr("Korvel"));
    setCentralWidget(m_content);
    buildToolBar();
    buildMenu();
    // The content's minimum with the menu bar and toolbar on top, so nothing below them is cut off.
    ensurePolished();
    setMinimumSize(minimumSizeHint());
    resize(1000, 680);

    connect(m_content, &ContentView::selectionChanged, this, &MainWindow::updateActions);
    connect(model, &SSHConfigModel::isDirtyChanged, this, &MainWindow::updateActions);
    connect(model, &SSHConfigModel::blocksChanged, this, &MainWindow::updateActions);
    // An edited alias may gain or lose a wildcard.
    connect(model, &SSHConfigModel::blockChanged, this, &MainWindow::updateActions);
    updateActions();
}

void MainWindow::buildToolBar()
{
    auto *bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(u"mainToolBar"_s);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setEnabled(false);

    auto makeAction = [this, bar](const QString &symbol,
                                  const QString &text,
                                  const QString &name,
                                  const QString &toolTip,
                                  const QList<QKeySequence> &shortcuts,
                                  auto slot) {
        auto *action = new QAction(SymbolIcon::icon(symbol), Mnemonic::escaped(text), this);
        action->setObjectName(name);
        action->setShortcuts(shortcuts);
        action->setToolTip(
            shortcuts.isEmpty() ? toolTip : toolTip.arg(shortcuts.constFirst().toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, m_content, slot);
        bar->addAction(action);
        return action;
    };

    m_newHost = makeAction(u"plus"_s,
                           tr("New Host"),
                           u"newHostAction"_s,
                           tr("Add new SSH host (%1)"),
                           QKeySequence::keyBindings(QKeySequence::New),
                           &ContentView::addHost);
    m_remove = makeAction(u"minus"_s,
                          tr("Remove"),
                          u"removeAction"_s,
                          tr("Remove selected host"),
                          {},
                          &ContentView::removeSelectedHost);
    m_duplicate = makeAction(u"plus.square.on.square"_s,
                             tr("Duplicate"),
                             u"duplicateAction"_s,
                             tr("Duplicate selected host"),
                             {},
                             &ContentView::duplicateSelectedHost);
    m_connect = makeAction(u"terminal"_s,
                           tr("Connect"),
                           u"connectAction"_s,
                           tr("Open a terminal running ssh to the selected host (%1)"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)},
                           &ContentView::connectSelectedHost);

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);

    // Ctrl+R always means the config; F5 (the menu's Reload) reloads what the detail column shows.
    m_reload = makeAction(u"arrow.clockwise"_s,
                          tr("Reload"),
                          u"reloadAction"_s,
                          tr("Reload from disk (%1)"),
                          {QKeySequence(Qt::CTRL | Qt::Key_R)},
                          &ContentView::reload);
    m_save = makeAction(u"square.and.arrow.down"_s,
                        tr("Save"),
                        u"saveAction"_s,
                        tr("Save to ~/.ssh/config (%1)"),
                        QKeySequence::keyBindings(QKeySequence::Save),
                        &ContentView::save);
}

void MainWindow::buildMenu()
{
    // The desktop's own menus: File, Edit and Help, each with its first letter as mnemonic.
    const auto addMenu = [this](const QString &title, const QString &name) {
        QMenu *menu = menuBar()->addMenu(u'&' + Mnemonic::escaped(title));
        menu->setObjectName(name);
        return menu;
    };

    QMenu *file = addMenu(tr("File"), u"fileMenu"_s);
    file->addAction(m_newHost);
    file->addAction(m_connect);
    file->addAction(m_save);
    auto *reloadShown = file->addAction(SymbolIcon::icon(u"arrow.clockwise"_s), Mnemonic::escaped(tr("Reload")));
    reloadShown->setObjectName(u"reloadShownAction"_s);
    // The standard key alone: some desktops also bind Ctrl+R to it, which is the config's reload.
    reloadShown->setShortcut(QKeySequence(QKeySequence::Refresh));
    connect(reloadShown, &QAction::triggered, m_content, &ContentView::reloadShown);
    file->addSeparator();
    QAction *quit = file->addAction(Mnemonic::escaped(tr("Quit")));
    quit->setObjectName(u"quitAction"_s);
    quit->setMenuRole(QAction::QuitRole);
    // A platform without a standard Quit key still gets the one Linux desktops use.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    quit->setShortcuts(quitKeys.isEmpty() ? QList{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    QMenu *edit = addMenu(tr("Edit"), u"editMenu"_s);
    QAction *find = edit->addAction(Mnemonic::escaped(tr("Find")));
    find->setObjectName(u"findAction"_s);
    find->setShortcuts(QKeySequence::Find);
    connect(find, &QAction::triggered, m_content, &ContentView::focusSearch);
    edit->addSeparator();
    edit->addAction(m_duplicate);
    edit->addAction(m_remove);

    QMenu *help = addMenu(tr("Help"), u"helpMenu"_s);
    QAction *about = help->addAction(Mnemonic::escaped(tr("About Korvel")));
    about->setObjectName(u"aboutAction"_s);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::aboutRequested);
    // Their keys work while a desktop shows the menus elsewhere, too.
    addActions({reloadShown, quit, find});
}

void MainWindow::updateActions()
{
    const bool onHosts = m_content->isOnHostsSection();
    const bool hostSelected = m_content->selectedHostIndex().has_value();
    m_newHost->setVisible(onHosts);
    m_remove->setVisible(onHosts);
    m_remove->setEnabled(hostSelected);
    m_duplicate->setVisible(onHosts && hostSelected);
    m_connect->setVisible(onHosts);
    m_connect->setEnabled(m_content->selectedConnectAlias().has_value());
    m_save->setEnabled(m_model->isDirty());
}
