#include "app/AppDelegate.h"

#include "app/AboutView.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {
    AppDelegate *sharedDelegate = nullptr;
}

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
{}

AppDelegate::~AppDelegate()
{
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
    delete m_aboutPanel;
}

AppDelegate *AppDelegate::shared()
{
    return sharedDelegate;
}

AboutPanel *AppDelegate::aboutPanel() const
{
    return m_aboutPanel;
}

void AppDelegate::applicationDidFinishLaunching(QWidget *mainWindow)
{
    sharedDelegate = this;
    // Started from a terminal, the window would otherwise open behind it.
    if (mainWindow) {
        mainWindow->raise();
        mainWindow->activateWindow();
    }
}

void AppDelegate::showAbout()
{
    if (AppDelegate *delegate = shared())
        delegate->openAboutPanel();
}

void AppDelegate::openAboutPanel()
{
    if (m_aboutPanel && m_aboutPanel->isVisible()) {
        m_aboutPanel->raise();
        m_aboutPanel->activateWindow();
        return;
    }

    // A closed panel is only hidden; drop it now that a fresh one replaces it.
    delete m_aboutPanel;

    auto *panel = new AboutPanel;
    const QWidget *active = QApplication::activeWindow();
    const QScreen *screen = active && active->screen() ? active->screen() : QGuiApplication::primaryScreen();
    panel->show();
    // Centre the frame, not just the contents, once the window has one.
    if (screen) {
        QRect frame = panel->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        panel->move(frame.topLeft());
    }
    panel->raise();
    panel->activateWindow();
    m_aboutPanel = panel;
}
