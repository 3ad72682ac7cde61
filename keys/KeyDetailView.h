#pragma once

#include "keys/SSHKeyPair.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The details of one key pair with its copy, view and delete actions. The pane decides what the
// actions do; this view only shows the pair and whether it was just copied.
class KeyDetailView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyDetailView)
public:
    explicit KeyDetailView(const QString &homeDir, QWidget *parent = nullptr);

    void setPair(const SSHKeyPair &pair);
    const SSHKeyPair &pair() const
    {
        return m_pair;
    }
    void setCopied(bool copied);
    // The private key's path with the home directory shown as "~".
    static QString displayPath(const QString &path, const QString &homeDir);

signals:
    void copyClicked();
    void viewPublicKeyClicked();
    void deleteClicked();

private:
    QString m_homeDir;
    SSHKeyPair m_pair;
    QLabel *m_filename;
    QLabel *m_type;
    QLabel *m_comment;
    QLabel *m_path;
    QLabel *m_fingerprint;
    QPushButton *m_copy;
};
