#include "keys/KeyRowView.h"

#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

KeyRowView::TypeIcon KeyRowView::typeIcon(const QString &keyType)
{
    if (keyType == "ssh-ed25519"_L1)
        return {u"key.fill"_s, Style::green()};
    if (keyType.contains("rsa"_L1))
        return {u"key"_s, Style::blue()};
    if (keyType.contains("ecdsa"_L1))
        return {u"key.radiowaves.forward"_s, Style::blue()};
    return {u"key"_s, Style::blue()};
}

KeyRowView::KeyRowView(const SSHKeyPair &pair, QWidget *parent)
    : QWidget(parent)
    , m_pair(pair)
    , m_check(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);

    const TypeIcon type = typeIcon(pair.keyType);
    auto *icon = new QLabel(this);
    icon->setObjectName(u"typeIcon"_s);
    icon->setFixedWidth(20);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(SymbolIcon::icon(type.symbol, type.color).pixmap(16, 16));
    icon->setProperty("symbol", type.symbol);
    icon->setAccessibleName(pair.keyType);
    layout->addWidget(icon);

    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    auto *name = new QLabel(pair.name, this);
    name->setObjectName(u"nameLabel"_s);
    name->setTextFormat(Qt::PlainText);
    QFont nameFont = name->font();
    nameFont.setWeight(QFont::Medium);
    name->setFont(nameFont);
    column->addWidget(name);
    if (!pair.comment.isEmpty()) {
        auto *comment = new QLabel(pair.comment, this);
        comment->setObjectName(u"commentLabel"_s);
        comment->setTextFormat(Qt::PlainText);
        comment->setFont(Style::captionFont());
        Style::setTextColor(comment, Style::secondary());
        column->addWidget(comment);
    }
    layout->addLayout(column, 1);

    const int size = QFontMetrics(Style::captionFont()).height();
    m_check->setObjectName(u"copiedMark"_s);
    m_check->setPixmap(SymbolIcon::icon(u"checkmark.circle.fill"_s, Style::green()).pixmap(size, size));
    m_check->setAccessibleName(tr("Copied"));
    m_check->setVisible(false);
    layout->addWidget(m_check);
}

void KeyRowView::setCopied(bool copied)
{
    m_check->setVisible(copied);
}

bool KeyRowView::isCopied() const
{
    return !m_check->isHidden();
}
