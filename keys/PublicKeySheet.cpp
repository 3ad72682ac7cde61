#include "keys/PublicKeySheet.h"

#include "keys/CopiedMark.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PublicKeySheet::PublicKeySheet(const SSHKeyPair &pair, QWidget *parent)
    : QDialog(parent)
    , m_copy(new QPushButton(this))
    , m_copyReset(new QTimer(this))
{
    setObjectName(u"publicKeySheet"_s);
    setWindowTitle(tr("Public Key"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setMinimumSize(560, 260);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto *header = new QHBoxLayout;
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto *title = new QLabel(tr("Public Key"), this);
    title->setFont(Style::titleFont());
    auto *file = new QLabel(pair.name.isEmpty() ? QString() : pair.name + u".pub"_s, this);
    file->setObjectName(u"fileLabel"_s);
    file->setTextFormat(Qt::PlainText);
    file->setFont(Style::captionFont());
    Style::setTextColor(file, Style::Tone::Secondary);
    titles->addWidget(title);
    titles->addWidget(file);
    header->addLayout(titles);
    header->addStretch(1);
    auto *done = new QPushButton(tr("Done"), this);
    done->setObjectName(u"doneButton"_s);
    done->setAutoDefault(false);
    header->addWidget(done, 0, Qt::AlignTop);
    layout->addLayout(header);

    auto *textPanel = new RoundedPanel(8, false, this);
    auto *panelLayout = new QVBoxLayout(textPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto *text = new QPlainTextEdit(pair.publicKeyContent, textPanel);
    text->setObjectName(u"publicKeyText"_s);
    text->setReadOnly(true);
    text->setWordWrapMode(QTextOption::WrapAnywhere); // base64 has no word breaks worth keeping
    QFont mono = Style::monospaceFont();
    mono.setPointSizeF(Style::captionFont().pointSizeF());
    text->setFont(mono);
    text->setFrameShape(QFrame::NoFrame);
    text->document()->setDocumentMargin(12);
    text->viewport()->setAutoFillBackground(false);
    panelLayout->addWidget(text);
    layout->addWidget(textPanel, 1);

    auto *note = new QLabel(tr("This is your public key — safe to share with servers and services like GitHub. "
                               "Never share the private key."),
                            this);
    note->setWordWrap(true);
    note->setFont(Style::captionFont());
    Style::setTextColor(note, Style::Tone::Secondary);
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_copy->setObjectName(u"copyToClipboardButton"_s);
    m_copy->setDefault(true);
    buttons->addWidget(m_copy);
    layout->addLayout(buttons);

    m_copyReset->setSingleShot(true);
    connect(m_copyReset, &QTimer::timeout, this, [this] {
        setCopied(false);
    });
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        emit copyRequested();
        setCopied(true);
        m_copyReset->start(CopiedMark::interval()); // a new click restarts the wait
    });
    setCopied(false);
}

void PublicKeySheet::setCopied(bool copied)
{
    m_copied = copied;
    m_copy->setText(copied ? tr("Copied!") : tr("Copy to Clipboard"));
    m_copy->setIcon(SymbolIcon::icon(copied ? u"checkmark.circle.fill"_s : u"doc.on.clipboard"_s));
}
