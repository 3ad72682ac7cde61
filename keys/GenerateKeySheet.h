#pragma once

#include "keys/KeyGenOptions.h"

#include <QDialog>
#include <QMap>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;
class StatusLine;

// The modal sheet that collects the options of a new key pair. Open it with open(); it emits
// generateRequested() at most once, when the user confirms (after agreeing to replace an existing
// pair), and closes itself either way.
class GenerateKeySheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GenerateKeySheet)
public:
    // sshDir is where the key will be written; the overwrite warning looks there.
    explicit GenerateKeySheet(const QString &sshDir, const KeyGenOptions &options = {}, QWidget *parent = nullptr);

    const KeyGenOptions &options() const
    {
        return m_options;
    }
    // The "Saves as: " path for a file name as typed.
    static QString resolvedPath(const QString &filename);

signals:
    void generateRequested(const KeyGenOptions &options);

private:
    void selectKeyType(KeyType type);
    void refresh();
    void confirm();
    // The name the key tool will receive: the typed one, or the type's standard name when blank.
    QString effectiveFilename() const;
    // The key file (or else public key file) the key tool would replace, as named to the user.
    std::optional<QString> existingFile() const;

    QString m_sshDir;
    KeyGenOptions m_options;
    QMap<KeyType, QRadioButton *> m_typeButtons;
    QLineEdit *m_filenameEdit;
    QLineEdit *m_commentEdit;
    QCheckBox *m_passphraseSwitch;
    QStackedWidget *m_passphraseStack;
    QWidget *m_passphraseRow;
    QLineEdit *m_passphraseEdit;
    QLineEdit *m_confirmEdit;
    QLabel *m_tip;
    QWidget *m_warning;
    StatusLine *m_warningText;
    StatusLine *m_preview;
    QPushButton *m_generate;
};
