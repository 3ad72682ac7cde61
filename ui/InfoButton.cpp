#include "ui/InfoButton.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    constexpr int maxTextWidth = 320;
    constexpr int inset = 14;

    class Popover final : public QFrame
    {
    public:
        explicit Popover(QWidget *parent)
            : QFrame(parent, Qt::Popup)
        {
            setFrameShape(QFrame::StyledPanel);
            setAttribute(Qt::WA_DeleteOnClose);
            // A click on the button that opened us only closes us; it must not reopen at once.
            setAttribute(Qt::WA_NoMouseReplay);
        }

    protected:
        void keyPressEvent(QKeyEvent *event) override
        {
            if (event->key() == Qt::Key_Escape) {
                close();
                return;
            }
            QFrame::keyPressEvent(event);
        }
    };
} // namespace

InfoButton::InfoButton(const QString &text, QWidget *parent)
    : QToolButton(parent)
    , m_text(text)
{
    setObjectName(u"infoButton"_s);
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setIcon(SymbolIcon::icon(u"info.circle"_s, Style::Tone::Secondary));
    setIconSize(QSize(14, 14));
    setToolTip(tr("Show help"));
    setAccessibleName(tr("Help"));
    setAccessibleDescription(text);
    connect(this, &QToolButton::clicked, this, &InfoButton::toggle);
}

InfoButton::~InfoButton()
{
    // Popovers are our children (a closed one lingers until its deferred delete); they must not
    // signal into us once we are half destroyed.
    for (QFrame *popover : findChildren<QFrame *>(u"infoPopover"_s, Qt::FindDirectChildrenOnly))
        popover->disconnect(this);
}

void InfoButton::setText(const QString &text)
{
    m_text = text;
    setAccessibleDescription(text);
}

bool InfoButton::isShown() const
{
    return m_popover && m_popover->isVisible();
}

void InfoButton::toggle()
{
    if (isShown()) {
        m_popover->close();
        return;
    }

    auto *popover = new Popover(this);
    popover->setObjectName(u"infoPopover"_s);
    auto *layout = new QVBoxLayout(popover);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *label = new QLabel(m_text);
    label->setObjectName(u"infoText"_s);
    label->setWordWrap(true);
    label->setFont(Style::noteFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setContentsMargins(inset, inset, inset, inset);
    label->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    const int textWidth =
        std::min(maxTextWidth + 2 * inset, label->fontMetrics().horizontalAdvance(m_text) + 2 * inset + 8);
    label->setFixedWidth(textWidth);
    label->setMinimumHeight(label->heightForWidth(textWidth));

    auto *scroll = new QScrollArea(popover);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(label);
    layout->addWidget(scroll);

    // Show the whole text unless the screen is too small for it.
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const int height = std::min(label->heightForWidth(textWidth), available.height() / 2);
    scroll->setFixedSize(textWidth
                             + scroll->verticalScrollBar()->sizeHint().width() * (height < label->minimumHeight()),
                         height);
    popover->adjustSize();

    // Arrow on the button's trailing edge: open beside the button, flipped at the screen edge.
    QPoint pos = mapToGlobal(QPoint(layoutDirection() == Qt::LeftToRight ? width() : -popover->width(), 0));
    pos.setX(std::clamp(pos.x(), available.left(), std::max(available.left(), available.right() - popover->width())));
    pos.setY(std::clamp(pos.y(), available.top(), std::max(available.top(), available.bottom() - popover->height())));
    popover->move(pos);

    connect(popover, &QObject::destroyed, this, [this] {
        emit shownChanged(false);
    });
    m_popover = popover;
    popover->show();
    popover->setFocus();
    emit shownChanged(true);
}
