#pragma once

#include "app/AboutCommand.h"
#include "core/Locations.h"

#include <QObject>

#include <memory>

class MainWindow;
class SSHConfigModel;

// The application: the one configuration model, the main window showing it, and the About command.
class KorvelApp final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KorvelApp)
public:
    static constexpr int defaultWidth = 1060;
    static constexpr int defaultHeight = 700;

    explicit KorvelApp(const Locations &locations, QObject *parent = nullptr);
    ~KorvelApp() override;

    // Builds the model (which loads the configuration) and the main window on first use.
    MainWindow *mainWindow();
    // Shows the main window at its default size and brings it to the front.
    void launch();

    SSHConfigModel *model() const
    {
        return m_model.get();
    }
    AboutCommand *aboutCommand()
    {
        return &m_about;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Asked before the main window closes with unsaved edits; true when it may close.
    bool confirmClose();

    Locations m_locations;
    AboutCommand m_about;
    // Declared before the window, which holds a pointer to it, so the window goes first.
    std::unique_ptr<SSHConfigModel> m_model;
    std::unique_ptr<MainWindow> m_window;
};
