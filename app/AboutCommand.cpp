#include "app/AboutCommand.h"

#include "app/AboutView.h"

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

void AboutCommand::trigger(QWidget *window)
{
    if (m_panel && m_panel->isVisible()) {
        m_panel->raise();
        m_panel->activateWindow();
        return;
    }

    // A closed panel is only hidden; drop it now that a fresh one replaces it.
    delete m_panel;

    // A child of the window it was asked from: the window system places it over that window.
    auto *panel = new AboutPanel(window);
    panel->show();
    panel->raise();
    panel->activateWindow();
    m_panel = panel;
}
