#include "ui/PaneChrome.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

#include <cmath>

PaneHeader::PaneHeader(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(title, this))
    , m_layout(new QHBoxLayout(this))
{
    setFixedHeight(Style::headerHeight);
    m_layout->setContentsMargins(Style::sideMargin + 4, 0, Style::sideMargin, 0);
    m_layout->setSpacing(4);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setFont(Style::titleFont());
    m_layout->addWidget(m_title);
    m_layout->addStretch(1);
}

QToolButton *
PaneHeader::addButton(const QString &symbol, const QString &toolTip, const QString &objectName, Style::Tone tone)
{
    auto *button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setIcon(SymbolIcon::icon(symbol, tone));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    m_layout->addWidget(button);
    return button;
}

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("statusLine"));
    setFont(Style::captionFont());
    Style::setTextColor(this, Style::Tone::Secondary);
    setContentsMargins(Style::sideMargin, 6, Style::sideMargin, 6);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

void StatusLine::setFullText(const QString &text)
{
    if (text == m_fullText && !this->text().isEmpty())
        return;
    m_fullText = text;
    setToolTip(text);
    setAccessibleName(text);
    updateElided();
}

QSize StatusLine::minimumSizeHint() const
{
    return QSize(0, fontMetrics().height() + contentsMargins().top() + contentsMargins().bottom());
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateElided();
}

void StatusLine::updateElided()
{
    const int available = contentsRect().width();
    setText(available > 0 ? fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, available) : m_fullText);
}

IconLabel::IconLabel(const QString &symbol, Style::Tone tone, int size, QWidget *parent)
    : QLabel(parent)
    , m_symbol(symbol)
    , m_tone(tone)
    , m_size(size)
{
    setAlignment(Qt::AlignCenter);
}

void IconLabel::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

QSize IconLabel::sizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(m_size + m.left() + m.right(), m_size + m.top() + m.bottom());
}

QSize IconLabel::minimumSizeHint() const
{
    return sizeHint();
}

void IconLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect target = QStyle::alignedRect(layoutDirection(), alignment(), QSize(m_size, m_size), contentsRect());
    SymbolIcon::icon(m_symbol, Style::color(m_tone, palette()))
        .paint(&painter, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

RoundedPanel::RoundedPanel(qreal radius, bool outlined, QWidget *parent)
    : QWidget(parent)
    , m_radius(radius)
    , m_outlined(outlined)
{}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawPanel(painter,
              rect(),
              m_radius,
              palette().brush(QPalette::Base),
              m_outlined ? palette().color(QPalette::Mid) : QColor());
}

void drawPanel(QPainter &painter, const QRect &rect, qreal radius, const QBrush &fill, const QColor &outline)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!outline.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(rect, radius, radius);
        painter.restore();
        return;
    }
    // Snap the outline's centre line to the middle of device pixels, wherever the widget landed.
    const QTransform toDevice = painter.deviceTransform();
    const qreal scale = std::max(toDevice.m11(), 0.01);
    const qreal width = std::max(1.0, std::floor(scale)); // in device pixels
    const QRectF device = toDevice.mapRect(QRectF(rect));
    const QRectF snapped(QPointF(std::round(device.left()) + width / 2, std::round(device.top()) + width / 2),
                         QPointF(std::round(device.right()) - width / 2, std::round(device.bottom()) - width / 2));
    painter.setPen(QPen(outline, width / scale));
    painter.setBrush(fill);
    painter.drawRoundedRect(toDevice.inverted().mapRect(snapped), radius, radius);
    painter.restore();
}

void fillHairline(QPainter &painter, const QRect &line, const QColor &color)
{
    const QTransform toDevice = painter.deviceTransform();
    const qreal scale = std::max(toDevice.m11(), 0.01);
    const qreal width = std::max(1.0, std::floor(scale)); // in device pixels
    QRectF device = toDevice.mapRect(QRectF(line));
    if (line.width() >= line.height())
        device = QRectF(device.left(), std::round(device.top()), device.width(), width);
    else
        device = QRectF(std::round(device.left()), device.top(), width, device.height());
    painter.fillRect(toDevice.inverted().mapRect(device), color);
}

namespace {
    // Painted rather than a styled QFrame line: the colour comes from the palette of the moment.
    class Divider final : public QFrame
    {
    public:
        explicit Divider(Qt::Orientation orientation, QWidget *parent)
            : QFrame(parent)
            , m_orientation(orientation)
        {
            // Keeps the sizes a styled line has, so the layouts stay as they were.
            setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
            setFrameShadow(QFrame::Plain);
        }

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            const QRect line = m_orientation == Qt::Horizontal ? QRect(0, (height() - 1) / 2, width(), 1)
                                                               : QRect((width() - 1) / 2, 0, 1, height());
            fillHairline(painter, line, Style::color(Style::Tone::Hairline, palette()));
        }

    private:
        Qt::Orientation m_orientation;
    };
} // namespace

QWidget *makeDivider(Qt::Orientation orientation, QWidget *parent)
{
    return new Divider(orientation, parent);
}
