#pragma once

#include "keys/SSHKeyPair.h"

#include <QColor>
#include <QWidget>

class QLabel;

// One row of the key list: type icon, name, comment, and the check mark after a copy.
class KeyRowView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyRowView)
public:
    explicit KeyRowView(const SSHKeyPair &pair, QWidget *parent = nullptr);

    struct TypeIcon {
        QString symbol;
        QColor color;
    };
    static TypeIcon typeIcon(const QString &keyType);

    const SSHKeyPair &pair() const
    {
        return m_pair;
    }
    void setCopied(bool copied);
    bool isCopied() const;

private:
    SSHKeyPair m_pair;
    QLabel *m_check;
};
