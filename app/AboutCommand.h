#pragma once

#include <QObject>
#include <QPointer>

class AboutPanel;
class QWidget;

// The About command: raises the open panel, or replaces a closed one with a new panel.
class AboutCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutCommand)
public:
    explicit AboutCommand(QObject *parent = nullptr);
    ~AboutCommand() override;

    // The panel belongs to `window` when given, so it goes with it and stays on top of it.
    void trigger(QWidget *window = nullptr);
    // The panel last made, open or closed; null before the first trigger.
    AboutPanel *panel() const;

private:
    QPointer<AboutPanel> m_panel;
};
