#pragma once

#include <QLabel>
#include <QWidget>

class QHBoxLayout;
class QToolButton;

// The header row every pane starts with: its title, then small icon buttons on the right.
class PaneHeader final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PaneHeader)
public:
    explicit PaneHeader(const QString &title, QWidget *parent = nullptr);

    // Adds a borderless icon button at the right end. toolTip doubles as its accessible name.
    QToolButton *
    addButton(const QString &symbol, const QString &toolTip, const QString &objectName, const QColor &tint = {});
    QLabel *titleLabel() const
    {
        return m_title;
    }

private:
    QLabel *m_title;
    QHBoxLayout *m_layout;
};

// A one-line caption in the secondary colour, elided in the middle when too long;
// the full text stays in the tooltip.
class StatusLine final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusLine)
public:
    explicit StatusLine(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const
    {
        return m_fullText;
    }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateElided();
    QString m_fullText;
};

// A horizontal or vertical hairline.
QWidget *makeDivider(Qt::Orientation orientation, QWidget *parent = nullptr);
