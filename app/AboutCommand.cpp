#include "app/AboutCommand.h"

#include "app/AboutView.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

AboutCommand::AboutCommand(QObject *parent)
    : QObject(parent)
{}

AboutCommand::~AboutCommand()
{
    delete m_panel;
}

AboutPanel *AboutCommand::panel() const
{
    return m_panel;
}

void AboutCommand::trigger()
{
    if (m_panel && m_panel->isVisible()) {
        m_panel->raise();
        m_panel->activateWindow();
        return;
    }

    // A closed panel is only hidden; drop it now that a fresh one replaces it.
    delete m_panel;

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
    m_panel = panel;
}
