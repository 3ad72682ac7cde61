#include "app/KorvelApp.h"

#include "engine/SSHConfigModel.h"
#include "hosts/MainWindow.h"

KorvelApp::KorvelApp(const Locations &locations, QObject *parent)
    : QObject(parent)
    , m_locations(locations)
{}

KorvelApp::~KorvelApp() = default;

MainWindow *KorvelApp::mainWindow()
{
    if (!m_window) {
        m_model = std::make_unique<SSHConfigModel>(m_locations.configFile);
        m_window = std::make_unique<MainWindow>(m_model.get(), m_locations);
        m_window->resize(defaultWidth, defaultHeight);
        connect(m_window.get(), &MainWindow::aboutRequested, this, &AppDelegate::showAbout);
    }
    return m_window.get();
}

void KorvelApp::launch()
{
    MainWindow *window = mainWindow();
    window->show();
    m_appDelegate.applicationDidFinishLaunching(window);
}
