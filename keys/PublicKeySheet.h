#pragma once

#include "keys/SSHKeyPair.h"

#include <QDialog>

class QPushButton;
class QTimer;

// Shows one public key with a copy button. Open it with open().
class PublicKeySheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublicKeySheet)
public:
    explicit PublicKeySheet(const SSHKeyPair &pair, QWidget *parent = nullptr);

    bool isCopied() const
    {
        return m_copied;
    }

signals:
    void copyRequested();

private:
    void setCopied(bool copied);

    bool m_copied = false;
    QPushButton *m_copy;
    QTimer *m_copyReset;
};
