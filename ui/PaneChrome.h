#pragma once

#include "ui/Style.h"

#include <QLabel>
#include <QWidget>

class QHBoxLayout;
class QPainter;
class QToolButton;

// The header row every pane starts with: its title, then small icon buttons on the right.
class PaneHeader final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PaneHeader)
public:
    explicit PaneHeader(const QString &title, QWidget *parent = nullptr);

    // Adds a borderless icon button at the right end. toolTip doubles as its accessible name.
    QToolButton *addButton(const QString &symbol,
                           const QString &toolTip,
                           const QString &objectName,
                           Style::Tone tone = Style::Tone::Label);
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

// A symbol icon in a tone of the widget's palette, painted at its size for the screen it is on:
// sharp at any scale, and in the new colours after a palette change.
class IconLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IconLabel)
public:
    IconLabel(const QString &symbol, Style::Tone tone, int size, QWidget *parent = nullptr);

    QString symbol() const
    {
        return m_symbol;
    }
    void setSymbol(const QString &symbol);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    Style::Tone m_tone;
    int m_size;
};

// A rounded panel in the palette's base colour, with a hairline outline when asked: the card
// that details and previews sit on. Text views inside it should leave their viewport unfilled.
class RoundedPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RoundedPanel)
public:
    explicit RoundedPanel(qreal radius, bool outlined = false, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    bool m_outlined;
};

// Fills a rounded rectangle and draws its outline (when valid) on whole device pixels, so the line
// stays one sharp pixel (two at 2x) rather than a blur across two at fractional scales.
void drawPanel(QPainter &painter, const QRect &rect, qreal radius, const QBrush &fill, const QColor &outline);

// Fills a line one logical pixel thick with whole device pixels: one at 1x and 1.5x, two at 2x,
// so hairlines neither blur nor come out one or two pixels thick by where they fall.
void fillHairline(QPainter &painter, const QRect &line, const QColor &color);

// A horizontal or vertical hairline.
QWidget *makeDivider(Qt::Orientation orientation, QWidget *parent = nullptr);
