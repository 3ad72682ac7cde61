#pragma once

#include <QObject>
#include <QPointer>

class AboutPanel;
class QWidget;

// Application-wide commands that outlive any one window: activation at launch and the About panel.
class AppDelegate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // The delegate once launching has finished; null before that.
    static AppDelegate *shared();

    // Launching is over: become the shared delegate and bring the main window to the front.
    void applicationDidFinishLaunching(QWidget *mainWindow);

    // The About command: raises an open panel, or replaces a closed one with a new centred panel.
    static void showAbout();

    // The panel last made, open or closed; null before the first About command.
    AboutPanel *aboutPanel() const;

private:
    void openAboutPanel();

    QPointer<AboutPanel> m_aboutPanel;
};
