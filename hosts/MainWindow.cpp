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
    buildKeys();
    // The content's minimum with the menu bar and toolbar on top, so nothing below them is cut off.
    ensurePolished();
    setMinimumSize(minimumSizeHint());
    resize(1000, 680);

    connect(m_content, &ContentView::selectionChanged, this, &MainWindow::updateActions);
    connect(model, &SSHConfigModel::isDirtyChanged, this, &MainWindow::updateActions);
    connect(model, &SSHConfigModel::blocksChanged, this, &MainWindow::updateActions);
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
                                  const QKeySequence &shortcut,
                                  auto slot) {
        auto *action = new QAction(SymbolIcon::icon(symbol), Mnemonic::escaped(text), this);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setToolTip(toolTip.arg(shortcut.toString(QKeySequence::NativeText)));
        } else {
            action->setToolTip(toolTip);
        }
        connect(action, &QAction::triggered, m_content, slot);
        bar->addAction(action);
        return action;
    };

    m_newHost = makeAction(u"plus"_s,
                           tr("New Host"),
                           u"newHostAction"_s,
                           tr("Add new SSH host (%1)"),
                           QKeySequence(Qt::CTRL | Qt::Key_N),
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

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);

    m_reload = makeAction(u"arrow.clockwise"_s,
                          tr("Reload"),
                          u"reloadAction"_s,
                          tr("Reload from disk (%1)"),
                          QKeySequence(Qt::CTRL | Qt::Key_R),
                          &ContentView::reload);
    m_save = makeAction(u"square.and.arrow.down"_s,
                        tr("Save"),
                        u"saveAction"_s,
                        tr("Save to ~/.ssh/config (%1)"),
                        QKeySequence(Qt::CTRL | Qt::Key_S),
                        &ContentView::save);
}

void MainWindow::buildMenu()
{
    QMenu *menu = menuBar()->addMenu(Mnemonic::escaped(tr("Korvel")));
    menu->setObjectName(u"appMenu"_s);
    QAction *about = menu->addAction(Mnemonic::escaped(tr("About Korvel")));
    about->setObjectName(u"aboutAction"_s);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::aboutRequested);
    menu->addSeparator();
    QAction *quit = menu->addAction(Mnemonic::escaped(tr("Quit Korvel")));
    quit->setObjectName(u"quitAction"_s);
    quit->setMenuRole(QAction::QuitRole);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::buildKeys()
{
    // Keys without a button of their own; they work wherever the focus is in the window.
    auto *find = new QAction(Mnemonic::escaped(tr("Search Hosts")), this);
    find->setObjectName(u"findAction"_s);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, m_content, &ContentView::focusSearch);
    addAction(find);
    auto *reloadShown = new QAction(Mnemonic::escaped(tr("Reload Shown")), this);
    reloadShown->setObjectName(u"reloadShownAction"_s);
    reloadShown->setShortcut(QKeySequence(Qt::Key_F5));
    connect(reloadShown, &QAction::triggered, m_content, &ContentView::reloadShown);
    addAction(reloadShown);
}

void MainWindow::updateActions()
{
    const bool onHosts = m_content->isOnHostsSection();
    const bool hostSelected = m_content->selectedHostIndex().has_value();
    m_newHost->setVisible(onHosts);
    m_remove->setVisible(onHosts);
    m_remove->setEnabled(hostSelected);
    m_duplicate->setVisible(onHosts && hostSelected);
    m_save->setEnabled(m_model->isDirty());
}
