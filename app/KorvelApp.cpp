#include "app/KorvelApp.h"

#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "hosts/MainWindow.h"
#include "scripts/ScriptEditorWindow.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QEvent>

KorvelApp::KorvelApp(const Locations &locations, QObject *parent)
    : QObject(parent)
    , m_locations(locations)
{}

KorvelApp::~KorvelApp() = default;

MainWindow *KorvelApp::mainWindow()
{
    if (!m_window) {
        m_model = std::make_unique<SSHConfigModel>(m_locations.configFile);
        // After every save, ssh itself says whether it still reads the file.
        m_model->setSshPath(m_locations.sshPath);
        m_window = std::make_unique<MainWindow>(m_model.get(), m_locations);
        m_window->resize(defaultWidth, defaultHeight);
        connect(m_window.get(), &MainWindow::aboutRequested, &m_about, [this] {
            m_about.trigger(m_window.get());
        });
        // Closing the window ends the run (Quit closes it too), so unsaved edits are caught on its
        // close event. Quitting closes every window in no fixed order, so a script editor still
        // waiting for administrator rights is asked about on the quit event, before any goes. A
        // filter on the application sees both; one on the window as well would ask twice.
        qApp->installEventFilter(this);
    }
    return m_window.get();
}

void KorvelApp::launch()
{
    MainWindow *window = mainWindow();
    window->show();
    // Started from a terminal, the window would otherwise open behind it.
    window->raise();
    window->activateWindow();
}

bool KorvelApp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::Quit && !ScriptEditorWindow::confirmQuit(m_window.get())) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::Close && watched == m_window.get() && m_model && m_model->isDirty()
        && !confirmClose()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool KorvelApp::confirmClose()
{
    const int choice = Dialogs::ask(m_window.get(),
                                    tr("Unsaved Changes"),
                                    tr("You have unsaved changes. Save before quitting?"),
                                    {{tr("Save & Quit"), QMessageBox::AcceptRole},
                                     {tr("Discard & Quit"), QMessageBox::DestructiveRole},
                                     {tr("Cancel"), QMessageBox::RejectRole}});
    switch (choice) {
    case 0:
        // A failed or cancelled save keeps the window open; a failure leaves the error alert on it.
        return m_window->contentView()->saveChecked();
    case 1:
        return true;
    default:
        return false;
    }
}
