#pragma once

#include "core/Locations.h"

#include <QMainWindow>

class ContentView;
class QAction;
class SSHConfigModel;

// Korvel's one main window: the toolbar and menu around the content view. It does not own the model.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)
public:
    MainWindow(SSHConfigModel *model, const Locations &locations, QWidget *parent = nullptr);

    ContentView *contentView() const
    {
        return m_content;
    }

signals:
    void aboutRequested(); // the "About Korvel" menu item

private:
    void buildToolBar();
    void buildMenu();
    void updateActions();

    SSHConfigModel *m_model;
    ContentView *m_content;
    QAction *m_newHost = nullptr;
    QAction *m_remove = nullptr;
    QAction *m_duplicate = nullptr;
    QAction *m_connect = nullptr;
    QAction *m_reload = nullptr;
    QAction *m_save = nullptr;
};
