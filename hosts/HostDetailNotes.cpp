#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"
#include "engine/OptionCatalogue.h"
#include "engine/SSHCheck.h"
#include "engine/SSHConfigModel.h"
#include "hosts/AddOptionSheet.h"
#include "hosts/HostDetailView.h"
#include "hosts/HostDetailWidgets.h"
#include "hosts/KeywordCheck.h"
#include "hosts/KnownHostKeysRow.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/Mnemonic.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

using namespace HostDetailWidgets;

bool HostDetailView::Note::shown() const
{
    return line && !line->isHidden();
}

void HostDetailView::setNote(Note &note, QWidget *parent, QVBoxLayout *column, const QString &name, const QString &text)
{
    if (text.isEmpty()) {
        if (note.line)
            note.line->hide();
        return;
    }
    if (!note.line) {
        note.line = new QWidget(parent);
        note.line->setObjectName(name);
        auto *layout = new QHBoxLayout(note.line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        auto *icon = new IconLabel(u"exclamationmark.triangle.fill"_s, Style::Tone::Destructive, 12, note.line);
        note.text = new QLabel(note.line);
        note.text->setWordWrap(true);
        note.text->setTextFormat(Qt::PlainText);
        note.text->setFont(Style::captionFont());
        Style::setTextColor(note.text, Style::Tone::Destructive);
        layout->addWidget(icon, 0, Qt::AlignTop);
        layout->addWidget(note.text, 1);
        column->addWidget(note.line);
    }
    note.text->setText(text);
    note.line->setToolTip(text);
    note.line->show();
}

void HostDetailView::describe(OptionRow &row)
{
    QStringList notes;
    if (row.ignored && !row.ignored->isHidden())
        notes.append(row.ignored->text());
    for (const Note *note : {&row.unknown, &row.badValue, &row.rejected}) {
        if (note->shown())
            notes.append(note->text->text());
    }
    const QString text = notes.join(u' ');
    QWidget *field = row.picker ? static_cast<QWidget *>(row.picker) : row.fields.constFirst().edit;
    if (field->accessibleDescription() != text)
        field->setAccessibleDescription(text);
    // The saved file's refusal shows on the field itself too, where the pointer is.
    const QString tip = row.rejected.shown() ? row.rejected.text->text() : QString();
    if (field->toolTip() != tip)
        field->setToolTip(tip);
}

void HostDetailView::showUnknownKeyword(OptionRow &row, const HostBlock &b)
{
    // Nothing while ssh has not answered, or when an IgnoreUnknown line ssh reads first lists it.
    const auto answer = m_keywords->answer(row.key);
    const bool warn = answer && !answer->known && !m_model->ignoresUnknown(b.id, row.key);
    if (warn == row.unknown.shown())
        return;
    const bool made = row.unknown.line;
    setNote(row.unknown,
            row.row,
            row.column,
            row.key + u"UnknownNote"_s,
            warn ? tr("ssh on this system does not know %1 and stops reading the file here.").arg(row.key) : QString());
    if (warn && !made) {
        auto *fix = new QPushButton(Mnemonic::escaped(tr("Let ssh Skip It")), row.unknown.line);
        fix->setObjectName(row.key + u"SkipUnknownButton"_s);
        fix->setToolTip(
            tr("Adds “IgnoreUnknown %1” as the first line of this host, so ssh skips %1 and reads on.").arg(row.key));
        row.unknown.line->layout()->addWidget(fix);
        connect(fix, &QPushButton::clicked, this, [this, key = row.key] {
            ignoreUnknown(key);
        });
    }
    describe(row);
}

void HostDetailView::ignoreUnknown(const QString &name)
{
    const HostBlock *b = block();
    if (!b)
        return;
    const QString key = u"IgnoreUnknown"_s;
    const QList<HostOption> &options = b->options;
    const auto list = std::find_if(options.cbegin(), options.cend(), [](const HostOption &option) {
        return SSHKeyword::equal(option.name, u"IgnoreUnknown");
    });
    if (list == options.cend()) {
        m_model->setOption(m_blockId, key, name);
        return;
    }
    QStringList names = list->value.split(u',', Qt::SkipEmptyParts);
    if (std::none_of(names.cbegin(), names.cend(), [&name](const QString &listed) {
            return SSHKeyword::equal(listed, name);
        }))
        names.append(name);
    // ssh only skips what it reads after the list: one standing below the option moves to the top.
    const bool below = std::any_of(options.cbegin(), list, [&name](const HostOption &option) {
        return SSHKeyword::equal(option.name, name);
    });
    if (below)
        m_model->setOption(m_blockId, key, QString());
    m_model->setOption(m_blockId, key, names.join(u','));
}

void HostDetailView::checkValue(const QString &key)
{
    OptionRow *row = findRow(key);
    if (!row || row->fields.isEmpty())
        return;
    const QString value = TextRules::trimmed(row->fields.constFirst().edit->text());
    // A keyword ssh does not know has its own warning; one it has not answered for yet waits.
    const auto answer = value.isEmpty() ? std::nullopt : m_keywords->answer(key);
    if (!answer || !answer->known)
        return;
    delete row->valueCheck.data(); // an answer about an older value would come too late
    auto *check = new SSHCheck(m_keywords->sshPath(), this);
    row->valueCheck = check;
    connect(check, &SSHCheck::finished, this, [this, key, value, check](const std::optional<SSHRejection> &rejection) {
        check->deleteLater();
        OptionRow *row = findRow(key);
        if (!row || row->valueCheck != check || TextRules::trimmed(row->fields.constFirst().edit->text()) != value)
            return;
        setNote(row->badValue,
                row->row,
                row->column,
                key + u"ValueNote"_s,
                rejection ? tr("ssh does not accept this value: %1").arg(rejection->message) : QString());
        describe(*row);
    });
    // As the file would hold it, so ssh splits it into the same words.
    check->probeOption(key, ConfigSyntax::writtenValue(key, value));
}

void HostDetailView::showRejection()
{
    const auto &line = m_rejectedLine;
    const bool here = line && line->block == m_blockId && block();
    const QString text = here ? tr("ssh stops reading the saved file here: %1").arg(m_rejectedMessage) : QString();
    const QString aliasText = here && line->option.isEmpty() ? text : QString();
    setNote(m_aliasRejected, m_identityLayout->parentWidget(), m_identityLayout, u"hostAliasRejectedNote"_s, aliasText);
    if (m_aliasEdit->toolTip() != aliasText) {
        m_aliasEdit->setToolTip(aliasText);
        m_aliasEdit->setAccessibleDescription(aliasText);
    }
    for (QList<OptionRow> *rows : {&m_rows, &m_customRows}) {
        for (OptionRow &row : *rows) {
            const bool marked = here && !line->option.isEmpty() && SSHKeyword::equal(row.key, line->option);
            if (!marked && !row.rejected.shown())
                continue;
            setNote(row.rejected, row.row, row.column, row.key + u"RejectedNote"_s, marked ? text : QString());
            describe(row);
            if (marked && row.advanced)
                setShowAdvanced(true);
        }
    }
}

void HostDetailView::chooseKeyFile(const QString &key, QLineEdit *edit)
{
    const QPointer<QLineEdit> field(edit); // the file may be reloaded while the dialog is open
    QFileDialog dialog(this, tr("Select Private Key"));
    dialog.setObjectName(u"privateKeyDialog"_s);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    dialog.setDirectory(QDir(m_locations.homeDir).filePath(u".ssh"_s));
    dialog.setAccessibleDescription(tr("Choose your SSH private key file"));
    dialog.resize(680, 440);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        auto *message = new QLabel(tr("Choose your SSH private key file"), &dialog);
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    }
    const std::optional<QString> chosen = Dialogs::chooseFile(&dialog);
    if (!chosen)
        return;
    if (!field)
        return;
    field->setText(tildePath(*chosen, m_locations.homeDir));
    fieldEdited(key, field);
}

void HostDetailView::showFocusedHelp()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    InfoButton *info = m_aliasEdit == focus ? m_aliasInfo : nullptr;
    for (const QList<OptionRow> *rows : {&m_rows, &m_customRows}) {
        for (const OptionRow &row : *rows) {
            if (!info && row.row->isAncestorOf(focus))
                info = row.info;
        }
    }
    if (info)
        info->click();
}

void HostDetailView::updateTabOrder()
{
    // The clear and help buttons take no focus; the browse and add buttons have no other key.
    QList<QWidget *> chain{m_aliasEdit};
    if (m_knownHostKeys)
        chain.append(m_knownHostKeys->forgetButton());
    auto addRow = [&chain](const OptionRow &row) {
        for (const Field &f : row.fields) {
            chain.append(f.edit);
            if (f.browse)
                chain.append(f.browse);
        }
        for (QWidget *w : {static_cast<QWidget *>(row.picker), static_cast<QWidget *>(row.add)}) {
            if (w)
                chain.append(w);
        }
    };
    for (const OptionRow &row : std::as_const(m_rows))
        addRow(row);
    for (const OptionRow &row : std::as_const(m_customRows))
        addRow(row);
    chain << m_advancedButton << m_addOptionButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}
