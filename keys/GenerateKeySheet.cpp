#include "keys/GenerateKeySheet.h"

#include "core/TextRules.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    QString defaultFilename(KeyType type)
    {
        return u"id_"_s + KeyTypes::rawValue(type);
    }

    // A text field followed by its information button; without help, by the room one takes, so
    // the fields of a form line up.
    QWidget *fieldWithInfo(QLineEdit *field, const QString &help, QWidget *parent)
    {
        auto *row = new QWidget(parent);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        field->setFrame(false);
        layout->addWidget(field, 1);
        auto *info = new InfoButton(help, row);
        layout->addWidget(info);
        if (help.isEmpty()) {
            QSizePolicy keepRoom = info->sizePolicy();
            keepRoom.setRetainSizeWhenHidden(true);
            info->setSizePolicy(keepRoom);
            info->hide();
        }
        return row;
    }

    // A one-line caption that is cut in the middle rather than widening the sheet.
    StatusLine *captionLine(const QString &objectName, Style::Tone tone, QWidget *parent)
    {
        auto *line = new StatusLine(parent);
        line->setObjectName(objectName);
        line->setContentsMargins(0, 0, 0, 0);
        Style::setTextColor(line, tone);
        return line;
    }
} // namespace

GenerateKeySheet::GenerateKeySheet(const QString &sshDir, const KeyGenOptions &options, QWidget *parent)
    : QDialog(parent)
    , m_sshDir(sshDir)
    , m_options(options)
{
    setObjectName(u"generateKeySheet"_s);
    setWindowTitle(tr("Generate New SSH Key Pair"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    // As tall as its content, which fits a 768-pixel screen.
    setMinimumWidth(540);
    if (m_options.filename.isEmpty())
        m_options.filename = defaultFilename(m_options.keyType);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    auto *icon =
        new IconLabel(u"key.fill"_s, Style::Tone::Accent, QFontMetrics(Style::largeTitleFont()).height(), this);
    auto *title = new QLabel(tr("Generate New SSH Key Pair"), this);
    title->setFont(Style::titleFont());
    header->addWidget(icon);
    header->addWidget(title);
    header->addStretch(1);
    layout->addLayout(header);
    layout->addSpacing(20);

    // Key type
    auto *typeBox = new QGroupBox(tr("Key Type"), this);
    auto *typeForm = new QFormLayout(typeBox);
    auto *typeColumn = new QVBoxLayout;
    auto *typeGroup = new QButtonGroup(this);
    for (KeyType type : KeyTypes::all) {
        auto *button = new QRadioButton(KeyTypes::pickerLabel(type), typeBox);
        button->setObjectName(u"typeRadio_"_s + KeyTypes::rawValue(type));
        button->setChecked(type == m_options.keyType);
        typeGroup->addButton(button);
        typeColumn->addWidget(button);
        m_typeButtons.insert(type, button);
        connect(button, &QRadioButton::toggled, this, [this, type](bool on) {
            if (on)
                selectKeyType(type);
        });
    }
    typeForm->addRow(tr("Type"), typeColumn);
    layout->addWidget(typeBox);

    // File
    auto *fileBox = new QGroupBox(tr("File"), this);
    auto *fileForm = new QFormLayout(fileBox);
    m_filenameEdit = new QLineEdit(m_options.filename, fileBox);
    m_filenameEdit->setObjectName(u"filenameEdit"_s);
    m_filenameEdit->setFont(Style::monospaceFont());
    fileForm->addRow(tr("Filename"),
                     fieldWithInfo(m_filenameEdit,
                                   tr("The key file name, saved to ~/.ssh/. The public key gets a .pub suffix. Use "
                                      "the standard name (id_ed25519, id_rsa, etc.) unless you need multiple keys for "
                                      "different purposes."),
                                   fileBox));
    // The warning's line stays reserved while it is hidden, so the sheet does not jump as a name is
    // typed. A form layout gives up the room of a hidden row whatever the size policy says, hence
    // the holder.
    auto *warningHolder = new QWidget(fileBox);
    auto *holderLayout = new QVBoxLayout(warningHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_warning = new QWidget(warningHolder);
    m_warning->setObjectName(u"overwriteWarning"_s);
    holderLayout->addWidget(m_warning);
    QSizePolicy keepRoom = m_warning->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_warning->setSizePolicy(keepRoom);
    auto *warningLayout = new QHBoxLayout(m_warning);
    warningLayout->setContentsMargins(0, 0, 0, 0);
    auto *warningIcon = new IconLabel(u"exclamationmark.triangle.fill"_s,
                                      Style::Tone::Warning,
                                      QFontMetrics(Style::captionFont()).height(),
                                      m_warning);
    m_warningText = captionLine(u"overwriteWarningText"_s, Style::Tone::Warning, m_warning);
    warningLayout->addWidget(warningIcon);
    warningLayout->addWidget(m_warningText, 1);
    fileForm->addRow(warningHolder);
    m_preview = captionLine(u"previewLabel"_s, Style::Tone::Secondary, fileBox);
    fileForm->addRow(m_preview);
    layout->addWidget(fileBox);

    // Identity
    auto *identityBox = new QGroupBox(tr("Identity"), this);
    auto *identityForm = new QFormLayout(identityBox);
    m_commentEdit = new QLineEdit(m_options.comment, identityBox);
    m_commentEdit->setObjectName(u"commentEdit"_s);
    identityForm->addRow(tr("Comment"),
                         fieldWithInfo(m_commentEdit,
                                       tr("A label embedded in the public key to identify it. Typically your email "
                                          "address or a description like 'work-laptop'. Shown in authorized_keys on "
                                          "servers."),
                                       identityBox));
    layout->addWidget(identityBox);

    // Security
    auto *securityBox = new QGroupBox(tr("Security"), this);
    auto *securityLayout = new QVBoxLayout(securityBox);
    m_passphraseSwitch = new QCheckBox(tr("Protect with passphrase"), securityBox);
    m_passphraseSwitch->setObjectName(u"passphraseSwitch"_s);
    m_passphraseSwitch->setChecked(m_options.usePassphrase);
    securityLayout->addWidget(m_passphraseSwitch);
    // The passphrase fields and the tip take turns in one place of fixed height.
    m_passphraseStack = new QStackedWidget(securityBox);
    m_passphraseRow = new QWidget(m_passphraseStack);
    auto *passphraseForm = new QFormLayout(m_passphraseRow);
    passphraseForm->setContentsMargins(0, 0, 0, 0);
    m_passphraseEdit = new QLineEdit(m_options.passphrase, m_passphraseRow);
    m_passphraseEdit->setObjectName(u"passphraseEdit"_s);
    m_passphraseEdit->setEchoMode(QLineEdit::Password);
    passphraseForm->addRow(
        tr("Passphrase"),
        fieldWithInfo(m_passphraseEdit,
                      tr("Encrypts the private key on disk. With AddKeysToAgent yes in your SSH "
                         "config, ssh-agent keeps the key unlocked after its first use, so you type "
                         "the passphrase once per session; where your desktop runs a keyring, it can "
                         "remember the passphrase for you. An unprotected key is convenient but "
                         "riskier if your disk is compromised."),
                      m_passphraseRow));
    m_confirmEdit = new QLineEdit(m_options.passphrase, m_passphraseRow);
    m_confirmEdit->setObjectName(u"confirmPassphraseEdit"_s);
    m_confirmEdit->setEchoMode(QLineEdit::Password);
    passphraseForm->addRow(tr("Confirm passphrase"), fieldWithInfo(m_confirmEdit, {}, m_passphraseRow));
    m_passphraseStack->addWidget(m_passphraseRow);
    m_tip =
        new QLabel(tr("Tip: add a passphrase and set AddKeysToAgent yes in your SSH config: ssh-agent then asks for "
                      "it once per session, and your desktop's keyring can remember it where one runs."),
                   m_passphraseStack);
    m_tip->setObjectName(u"passphraseTip"_s);
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tip->setFont(Style::captionFont());
    Style::setTextColor(m_tip, Style::Tone::Secondary);
    m_passphraseStack->addWidget(m_tip);
    securityLayout->addWidget(m_passphraseStack);
    layout->addWidget(securityBox);
    layout->addStretch(1);
    layout->addSpacing(16);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    m_generate = new QPushButton(tr("Generate"), this);
    m_generate->setObjectName(u"generateButton"_s);
    m_generate->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_generate);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_generate, &QPushButton::clicked, this, &GenerateKeySheet::confirm);
    connect(m_filenameEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.filename = text;
        refresh();
    });
    connect(m_commentEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.comment = text;
    });
    connect(m_passphraseEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.passphrase = text;
        refresh();
    });
    connect(m_confirmEdit, &QLineEdit::textChanged, this, &GenerateKeySheet::refresh);
    connect(m_passphraseSwitch, &QCheckBox::toggled, this, [this](bool on) {
        m_options.usePassphrase = on; // turning it off keeps the typed passphrase, unused
        refresh();
    });
    refresh();
}

QString GenerateKeySheet::resolvedPath(const QString &filename)
{
    const QString name = TextRules::trimmed(filename);
    if (name.isEmpty())
        return tr("~/.ssh/(enter filename)");
    // The key always lands under the key directory, also for names starting with "/" or "~",
    // so show that rather than a path the key tool will never write.
    qsizetype slashes = 0;
    while (slashes < name.size() && name.at(slashes) == u'/')
        ++slashes;
    return u"~/.ssh/"_s + name.mid(slashes);
}

QString GenerateKeySheet::effectiveFilename() const
{
    return TextRules::trimmed(m_options.filename).isEmpty() ? defaultFilename(m_options.keyType) : m_options.filename;
}

std::optional<QString> GenerateKeySheet::existingFile() const
{
    // Look at both the trimmed and the typed name: the key tool receives the typed one. It also
    // replaces a public key whose private key is missing.
    const QString typed = effectiveFilename();
    for (const QString &suffix : {QString(), u".pub"_s}) {
        for (const QString &name : {TextRules::trimmed(typed), typed}) {
            const QFileInfo info(m_sshDir + u'/' + name + suffix);
            if (info.exists() || info.isSymLink())
                return typed + suffix;
        }
    }
    return std::nullopt;
}

void GenerateKeySheet::selectKeyType(KeyType type)
{
    m_options.keyType = type;
    if (m_options.filename.isEmpty() || m_options.filename.startsWith(u"id_"_s))
        m_filenameEdit->setText(defaultFilename(type)); // refreshes through textChanged
    refresh();
}

void GenerateKeySheet::refresh()
{
    m_preview->setFullText(tr("Saves as: %1").arg(resolvedPath(m_options.filename)));
    const std::optional<QString> existing = existingFile();
    if (existing)
        m_warningText->setFullText(tr("%1 already exists — will overwrite.").arg(*existing));
    m_warning->setVisible(existing.has_value());
    m_passphraseStack->setCurrentWidget(m_options.usePassphrase ? m_passphraseRow : m_tip);
    m_generate->setEnabled(!m_options.usePassphrase || m_confirmEdit->text() == m_options.passphrase);
}

void GenerateKeySheet::confirm()
{
    KeyGenOptions chosen = m_options;
    chosen.filename = effectiveFilename();
    if (existingFile()) {
        // Return must not replace a key: Cancel is the default, and Escape gives it too.
        const int answer =
            Dialogs::ask(this,
                         tr("Replace Key Pair?"),
                         tr("Replace %1 and %1.pub?").arg(chosen.filename),
                         {{tr("Replace"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                         QMessageBox::Warning,
                         1);
        if (answer != 0)
            return;
    }
    emit generateRequested(chosen);
    accept();
}
