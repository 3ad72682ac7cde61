#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The brand word in two colours with the tagline under it.
class QuenbyLogo final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuenbyLogo)
public:
    explicit QuenbyLogo(QWidget *parent = nullptr);
};

// The content of the About panel: logo, name and version, a link to the guide and a credit line.
class AboutView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutView)
public:
    explicit AboutView(QWidget *parent = nullptr);

private:
    void openReadme();

    QPushButton *m_linkButton;
};

// The About window: a small fixed-size dialog over the main window that can be dragged by its background.
class AboutPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutPanel)
public:
    static constexpr int panelWidth = 300;
    static constexpr int panelHeight = 310;

    explicit AboutPanel(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};
