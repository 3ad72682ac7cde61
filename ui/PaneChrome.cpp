#include "ui/PaneChrome.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>

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
PaneHeader::addButton(const QString &symbol, const QString &toolTip, const QString &objectName, const QColor &tint)
{
    auto *button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setIcon(SymbolIcon::icon(symbol, tint));
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
    Style::setTextColor(this, Style::secondary());
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

QWidget *makeDivider(Qt::Orientation orientation, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette p = line->palette();
    QColor c = Style::label();
    c.setAlphaF(0.15f);
    p.setColor(QPalette::WindowText, c);
    line->setPalette(p);
    return line;
}
