#include "keys/GenerateKeySheet.h"

#include "core/TextRules.h"
#include "ui/InfoButton.h"
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
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
    QString defaultFilename(KeyType type)
    {
        return u"id_"_s + KeyTypes::rawValue(type);
    }

    // A text field followed by its information button.
    QWidget *fieldWithInfo(QLineEdit *field, const QString &help, QWidget *parent)
    {
        auto *row = new QWidget(parent);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        field->setFrame(false);
        layout->addWidget(field, 1);
        layout->addWidget(new InfoButton(help, row));
        return row;
    }
} // namespace

GenerateKeySheet::GenerateKeySheet(const QString &sshDir, const KeyGenOptions &options, QWidget *parent)
    : QDialog(parent)
    , m_sshDir(sshDir)
    , m_options(options)
{
    setObjectName(u"generateKeySheet"_s);
    setWindowTitle(tr("Generate New SSH Key Pair"));
    setMinimumSize(540, 780);
    if (m_options.filename.isEmpty())
        m_options.filename = defaultFilename(m_options.keyType);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    auto *icon = new QLabel(this);
    const int iconSize = QFontMetrics(Style::title2Font()).height();
    icon->setPixmap(SymbolIcon::icon(u"key.fill"_s, Style::blue()).pixmap(iconSize, iconSize));
    auto *title = new QLabel(tr("Generate New SSH Key Pair"), this);
    title->setFont(Style::headlineFont());
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
    m_warning = new QWidget(fileBox);
    m_warning->setObjectName(u"overwriteWarning"_s);
    auto *warningLayout = new QHBoxLayout(m_warning);
    warningLayout->setContentsMargins(0, 0, 0, 0);
    auto *warningIcon = new QLabel(m_warning);
    const int captionHeight = QFontMetrics(Style::captionFont()).height();
    warningIcon->setPixmap(
        SymbolIcon::icon(u"exclamationmark.triangle.fill"_s, Style::orange()).pixmap(captionHeight, captionHeight));
    m_warningText = new QLabel(m_warning);
    m_warningText->setObjectName(u"overwriteWarningText"_s);
    m_warningText->setFont(Style::captionFont());
    m_warningText->setTextFormat(Qt::PlainText);
    Style::setTextColor(m_warningText, Style::orange());
    warningLayout->addWidget(warningIcon);
    warningLayout->addWidget(m_warningText, 1);
    fileForm->addRow(m_warning);
    m_preview = new QLabel(fileBox);
    m_preview->setObjectName(u"previewLabel"_s);
    m_preview->setFont(Style::captionFont());
    m_preview->setTextFormat(Qt::PlainText);
    Style::setTextColor(m_preview, Style::secondary());
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
    m_passphraseRow = new QWidget(securityBox);
    auto *passphraseForm = new QFormLayout(m_passphraseRow);
    passphraseForm->setContentsMargins(0, 0, 0, 0);
    m_passphraseEdit = new QLineEdit(m_options.passphrase, m_passphraseRow);
    m_passphraseEdit->setObjectName(u"passphraseEdit"_s);
    m_passphraseEdit->setEchoMode(QLineEdit::Password);
    passphraseForm->addRow(tr("Passphrase"),
                           fieldWithInfo(m_passphraseEdit,
                                         tr("Encrypts the private key on disk. Use UseKeychain yes in your SSH config "
                                            "so macOS Keychain stores it — you'll only type it once. An unprotected "
                                            "key is convenient but riskier if your disk is compromised."),
                                         m_passphraseRow));
    securityLayout->addWidget(m_passphraseRow);
    m_tip = new QLabel(tr("Tip: add a passphrase and set UseKeychain yes in SSH config for automatic unlocking via "
                          "Keychain."),
                       securityBox);
    m_tip->setObjectName(u"passphraseTip"_s);
    m_tip->setWordWrap(true);
    m_tip->setFont(Style::captionFont());
    Style::setTextColor(m_tip, Style::secondary());
    securityLayout->addWidget(m_tip);
    layout->addWidget(securityBox);
    layout->addStretch(1);
    layout->addSpacing(16);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    auto *generate = new QPushButton(tr("Generate"), this);
    generate->setObjectName(u"generateButton"_s);
    generate->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(generate);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(generate, &QPushButton::clicked, this, &GenerateKeySheet::confirm);
    connect(m_filenameEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.filename = text;
        refresh();
    });
    connect(m_commentEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.comment = text;
    });
    connect(m_passphraseEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_options.passphrase = text;
    });
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

bool GenerateKeySheet::wouldOverwrite() const
{
    // Look at both the trimmed and the typed name: the key tool receives the typed one.
    const QString typed = effectiveFilename();
    for (const QString &name : {TextRules::trimmed(typed), typed}) {
        const QFileInfo info(m_sshDir + u'/' + name);
        if (info.exists() || info.isSymLink())
            return true;
    }
    return false;
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
    m_preview->setText(tr("Saves as: %1").arg(resolvedPath(m_options.filename)));
    const bool overwrite = wouldOverwrite();
    if (overwrite)
        m_warningText->setText(tr("%1 already exists — will overwrite.").arg(effectiveFilename()));
    m_warning->setVisible(overwrite);
    m_passphraseRow->setVisible(m_options.usePassphrase);
    m_tip->setVisible(!m_options.usePassphrase);
}

void GenerateKeySheet::confirm()
{
    KeyGenOptions chosen = m_options;
    chosen.filename = effectiveFilename();
    emit generateRequested(chosen);
    accept();
}
