#include "scripts/BinScriptsView.h"

#include "core/TextRules.h"
#include "scripts/ScriptDelegate.h"
#include "scripts/ScriptEditorWindow.h"
#include "scripts/ScriptListModel.h"
#include "ui/Dialogs.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
    QLabel *makeLabel(const QString &text, const QFont &font, Style::Tone tone, QWidget *parent)
    {
        auto *label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setFont(font);
        Style::setTextColor(label, tone);
        return label;
    }
} // namespace

BinScriptsView::BinScriptsView(const Locations &locations, QWidget *parent)
    : BinScriptsView(locations, std::make_shared<SystemPrivilegedRunner>(), parent)
{}

BinScriptsView::BinScriptsView(const Locations &locations, std::shared_ptr<PrivilegedRunner> runner, QWidget *parent)
    : QWidget(parent)
    , m_runner(std::move(runner))
    , m_model(new BinScriptsModel(locations.scriptsDir, m_runner, this))
    , m_list(new QListView(this))
    , m_listModel(new ScriptListModel(m_model))
    , m_statusLine(new StatusLine(this))
    , m_detailStack(new QStackedWidget(this))
{
    setObjectName(u"binScriptsView"_s);

    auto *left = new QWidget(this);
    left->setMinimumWidth(200);
    left->setMaximumWidth(320);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto *header = new PaneHeader(tr("Local Scripts"), left);
    QToolButton *refresh = header->addButton(u"arrow.clockwise"_s, tr("Refresh"), u"refreshButton"_s);
    m_newButton = header->addButton(u"plus"_s, tr("New script"), u"newScriptButton"_s);
    leftLayout->addWidget(header);
    leftLayout->addWidget(makeDivider(Qt::Horizontal, left));
    m_list->setObjectName(u"scriptList"_s);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAccessibleName(tr("Scripts"));
    m_list->setBackgroundRole(QPalette::Window);
    m_list->setItemDelegate(new ScriptDelegate(m_list));
    m_list->setModel(m_listModel);
    m_list->installEventFilter(this);
    leftLayout->addWidget(m_list, 1);
    leftLayout->addWidget(makeDivider(Qt::Horizontal, left));
    leftLayout->addWidget(m_statusLine);

    m_detailStack->setMinimumWidth(420);
    m_detailStack->addWidget(noSelectionPlaceholder());

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(m_detailStack);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 600});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(refresh, &QToolButton::clicked, this, [this] {
        m_model->load();
    });
    connect(m_newButton, &QToolButton::clicked, this, [this] {
        createNewScript();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        const auto id =
            rows.isEmpty() ? std::nullopt : std::optional<QUuid>(rows.first().data(ScriptListModel::IdRole).toUuid());
        // Selections made from code come back here; they are handled already.
        if (id != m_selectedID)
            setSelectedID(id);
    });
    // The list model's own reset, so the rows are rebuilt by the time the pane looks at them.
    connect(m_listModel, &QAbstractItemModel::modelReset, this, &BinScriptsView::listReset);
    // A scan that finds the same count sets no new status, but must replace an editor's "Saved:".
    const auto showStatus = [this] {
        m_statusLine->setFullText(m_model->statusMessage());
    };
    connect(m_model, &BinScriptsModel::statusMessageChanged, this, showStatus);
    connect(m_model, &BinScriptsModel::scriptsChanged, this, showStatus);
    connect(m_model, &BinScriptsModel::busyChanged, this, &BinScriptsView::showBusy);
    connect(m_model, &BinScriptsModel::operationFinished, this, &BinScriptsView::operationFinished);
    ModelAlert::attach(this, m_model);
}

BinScriptsView::~BinScriptsView() = default;

void BinScriptsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_model->load();
    }
}

bool BinScriptsView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Delete)) {
        confirmDelete();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int BinScriptsView::lineCount(const QString &text)
{
    return int(std::count_if(text.cbegin(), text.cend(), TextRules::isLineBreak)) + 1;
}

std::optional<ScriptFile> BinScriptsView::selectedScript() const
{
    if (!m_selectedID)
        return std::nullopt;
    for (const ScriptFile &script : m_model->scripts()) {
        if (script.id == *m_selectedID)
            return script;
    }
    return std::nullopt;
}

void BinScriptsView::setSelectedID(const std::optional<QUuid> &id)
{
    if (id != m_selectedID) {
        m_selectedID = id;
        loadPreview(id);
    }
    // Keep the list's highlight in step when the selection is set from code.
    const QModelIndex row = id ? m_listModel->indexOf(*id) : QModelIndex();
    if (row.isValid())
        m_list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    else
        m_list->selectionModel()->clear();
    showDetail();
}

void BinScriptsView::listReset()
{
    // New identifiers: whatever was selected is gone.
    setSelectedID(std::nullopt);
}

void BinScriptsView::loadPreview(const std::optional<QUuid> &id)
{
    m_previewContent.clear();
    m_previewLines = 0;
    const auto found =
        std::find_if(m_model->scripts().cbegin(), m_model->scripts().cend(), [&id](const ScriptFile &script) {
            return id && script.id == *id;
        });
    if (found == m_model->scripts().cend() || !found->isEditable)
        return;
    m_previewContent = BinScriptsModel::readText(found->url).value_or(QString());
    m_previewLines = lineCount(m_previewContent);
}

void BinScriptsView::showDetail()
{
    if (m_detail) {
        // Later, because the click that got here may have come from a button inside it; unparented at
        // once so nothing finds the old pane in the meantime.
        m_detailStack->removeWidget(m_detail);
        m_detail->hide();
        m_detail->setParent(nullptr);
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (const auto script = selectedScript()) {
        m_detail = scriptDetailPane(*script);
        m_detailStack->addWidget(m_detail);
        m_detailStack->setCurrentWidget(m_detail);
    } else {
        m_detailStack->setCurrentIndex(0);
    }
}

QWidget *BinScriptsView::noSelectionPlaceholder()
{
    auto *placeholder = new QWidget(this);
    placeholder->setObjectName(u"noSelectionPlaceholder"_s);
    auto *layout = new QVBoxLayout(placeholder);
    layout->setSpacing(16);
    layout->addStretch(1);
    layout->addWidget(new IconLabel(u"scroll"_s, Style::Tone::Secondary, 52, placeholder), 0, Qt::AlignHCenter);
    layout->addWidget(
        makeLabel(tr("Select a script to view or edit"), Style::bodyFont(), Style::Tone::Secondary, placeholder),
        0,
        Qt::AlignHCenter);
    m_placeholderNewButton = new QPushButton(tr("New Script"), placeholder);
    m_placeholderNewButton->setObjectName(u"placeholderNewButton"_s);
    m_placeholderNewButton->setDefault(true);
    connect(m_placeholderNewButton, &QPushButton::clicked, this, [this] {
        createNewScript();
    });
    layout->addWidget(m_placeholderNewButton, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return placeholder;
}

QWidget *BinScriptsView::infoRow(const QString &label, const QString &value, const QString &objectName)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    QLabel *name = makeLabel(label, Style::labelFont(), Style::Tone::Secondary, row);
    name->setFixedWidth(90);
    name->setAlignment(Qt::AlignRight | Qt::AlignTop);
    QFont mono = Style::monospaceFont();
    mono.setPointSizeF(Style::labelFont().pointSizeF() > 0 ? Style::labelFont().pointSizeF() : mono.pointSizeF());
    QLabel *text = makeLabel(value, mono, Style::Tone::Label, row);
    text->setObjectName(objectName);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setWordWrap(true);
    name->setBuddy(text);
    layout->addWidget(name, 0, Qt::AlignTop);
    layout->addWidget(text, 1, Qt::AlignTop);
    return row;
}

QWidget *BinScriptsView::scriptDetailPane(const ScriptFile &script)
{
    auto *pane = new QWidget;
    pane->setObjectName(u"scriptDetailPane"_s);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QWidget(pane);
    header->setFixedHeight(Style::headerHeight);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(Style::sideMargin, 0, Style::sideMargin, 0);
    headerLayout->setSpacing(8);
    auto *icon =
        new IconLabel(ScriptDelegate::symbol(script.isEditable), ScriptDelegate::tone(script.isEditable), 16, header);
    icon->setFixedWidth(20);
    headerLayout->addWidget(icon);
    QLabel *title = makeLabel(script.name, Style::titleFont(), Style::Tone::Label, header);
    title->setObjectName(u"detailTitleLabel"_s);
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    headerLayout->addWidget(title, 1);
    auto *deleteButton = new QPushButton(SymbolIcon::icon(u"trash"_s, Style::Tone::Destructive), tr("Delete"), header);
    deleteButton->setObjectName(u"deleteButton"_s);
    deleteButton->setEnabled(!m_model->isBusy());
    Style::setTextColor(deleteButton, Style::Tone::Destructive);
    connect(deleteButton, &QPushButton::clicked, this, &BinScriptsView::confirmDelete);
    headerLayout->addWidget(deleteButton);
    layout->addWidget(header);
    layout->addWidget(makeDivider(Qt::Horizontal, pane));

    auto *scroll = new QScrollArea(pane);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(scroll);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(20, 20, 20, 20);
    contentLayout->setSpacing(16);

    auto *card = new RoundedPanel(10, false, content);
    card->setObjectName(u"infoCard"_s);
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(14, 14, 14, 14);
    cardLayout->setSpacing(10);
    cardLayout->addWidget(infoRow(tr("Path"), script.url, u"pathValue"_s));
    cardLayout->addWidget(
        infoRow(tr("Type"), script.isEditable ? tr("Text / Shell Script") : tr("Binary Executable"), u"typeValue"_s));
    // Size and permissions are left out when the attributes cannot be read.
    if (struct stat info{}; ::stat(QFile::encodeName(script.url).constData(), &info) == 0) {
        cardLayout->addWidget(infoRow(tr("Size"), QLocale().formattedDataSize(info.st_size), u"sizeValue"_s));
        cardLayout->addWidget(
            infoRow(tr("Permissions"), QString::number(info.st_mode & 07777, 8), u"permissionsValue"_s));
    }
    contentLayout->addWidget(card);

    auto *preview = new QWidget(content);
    auto *previewLayout = new QVBoxLayout(preview);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(8);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(4);
    QFont previewTitleFont = Style::labelFont();
    previewTitleFont.setWeight(QFont::Medium);
    titleRow->addWidget(new IconLabel(u"doc.text"_s, Style::Tone::Secondary, 14, preview));
    titleRow->addWidget(makeLabel(tr("Preview"), previewTitleFont, Style::Tone::Secondary, preview));
    titleRow->addStretch(1);
    if (m_previewLines >= 1) {
        QLabel *lines =
            makeLabel(m_previewLines == 1 ? tr("%1 line").arg(m_previewLines) : tr("%1 lines").arg(m_previewLines),
                      Style::captionFont(),
                      Style::Tone::Tertiary,
                      preview);
        lines->setObjectName(u"lineCountLabel"_s);
        titleRow->addWidget(lines);
    }
    previewLayout->addLayout(titleRow);

    if (script.isEditable) {
        // Outlined, and the text one pixel in, so the scroll bars leave the outline whole.
        auto *panel = new RoundedPanel(6, true, preview);
        auto *panelLayout = new QVBoxLayout(panel);
        panelLayout->setContentsMargins(1, 1, 1, 1);
        auto *text = new QPlainTextEdit(panel);
        text->setObjectName(u"previewText"_s);
        text->setReadOnly(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        QFont mono = Style::monospaceFont();
        if (Style::captionFont().pointSizeF() > 0)
            mono.setPointSizeF(Style::captionFont().pointSizeF());
        text->setFont(mono);
        text->document()->setDocumentMargin(10);
        text->setMinimumHeight(160);
        text->setMaximumHeight(320);
        text->setFrameShape(QFrame::NoFrame);
        text->viewport()->setAutoFillBackground(false);
        text->setPlainText(m_previewContent.isEmpty() ? tr("(empty file)") : m_previewContent);
        text->setAccessibleName(tr("Preview"));
        panelLayout->addWidget(text);
        previewLayout->addWidget(panel);
    } else {
        auto *panel = new RoundedPanel(6, false, preview);
        auto *panelLayout = new QVBoxLayout(panel);
        panelLayout->setContentsMargins(10, 10, 10, 10);
        QLabel *notice =
            makeLabel(tr("Binary files cannot be previewed."), Style::captionFont(), Style::Tone::Secondary, panel);
        notice->setObjectName(u"binaryNotice"_s);
        panelLayout->addWidget(notice);
        previewLayout->addWidget(panel);
    }
    contentLayout->addWidget(preview);

    if (script.isEditable) {
        auto *editRow = new QHBoxLayout;
        editRow->setContentsMargins(0, 4, 0, 0);
        editRow->addStretch(1);
        auto *edit = new QPushButton(SymbolIcon::icon(u"pencil"_s), tr("Edit Script"), content);
        edit->setObjectName(u"editButton"_s);
        edit->setDefault(true);
        edit->setMinimumSize(140, 32);
        connect(edit, &QPushButton::clicked, this, [this, script] {
            openEditor(script);
        });
        editRow->addWidget(edit);
        editRow->addStretch(1);
        contentLayout->addLayout(editRow);
        QLabel *hint =
            makeLabel(tr("Opens a dedicated editor window · saves with %1 · admin password requested if needed.")
                          .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)),
                      Style::captionFont(),
                      Style::Tone::Secondary,
                      content);
        hint->setAlignment(Qt::AlignHCenter);
        hint->setWordWrap(true);
        contentLayout->addWidget(hint);
    }
    contentLayout->addStretch(1);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);
    return pane;
}

void BinScriptsView::createNewScript(const QString &typed)
{
    // Window-modal and open() rather than exec(): the pane keeps drawing while the name is typed.
    auto *dialog = new QDialog(this);
    dialog->setObjectName(u"newScriptDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    Dialogs::useDialogFrame(dialog);
    dialog->setWindowTitle(tr("New Script"));
    dialog->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(dialog);
    auto *label = new QLabel(tr("Enter the script name. It will be created in /usr/local/bin/ and made executable. An "
                                "admin password may be required."),
                             dialog);
    label->setWordWrap(true);
    auto *field = new QLineEdit(typed, dialog);
    field->setObjectName(u"scriptNameEdit"_s);
    field->setPlaceholderText(tr("e.g. deploy, backup-db, health-check"));
    field->setMinimumWidth(240);
    field->setAccessibleName(tr("Script name"));
    label->setBuddy(field);
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *create = buttons->addButton(tr("Create"), QDialogButtonBox::AcceptRole);
    create->setObjectName(u"createButton"_s);
    create->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, field] {
        createScript(field->text());
    });
    dialog->open();
}

void BinScriptsView::createScript(const QString &typed)
{
    const QString name = TextRules::trimmed(typed);
    if (name.isEmpty())
        return;
    if (name.contains(u'/') || name.contains(u' ')) {
        // Asked again with the name as typed, so one wrong character costs one keystroke.
        Dialogs::showError(this, tr("Script name cannot contain slashes or spaces."), [self = QPointer(this), typed] {
            if (self)
                self->createNewScript(typed);
        });
        return;
    }
    // A dangling link counts too: the copy would write through it.
    const QFileInfo existing(m_model->binDir() + u'/' + name);
    if ((existing.exists() || existing.isSymLink()) && !existing.isDir()) {
        const int choice =
            Dialogs::ask(this,
                         tr("Replace Script?"),
                         tr("A script named %1 already exists. Replace it?").arg(name),
                         {{tr("Replace"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                         QMessageBox::Warning,
                         1);
        if (choice != 0)
            return;
    }
    // The new file is selected and opened once it is written: see operationFinished.
    m_model->create(name);
}

void BinScriptsView::operationFinished(BinScriptsModel::Operation operation, const ScriptFile &script, bool ok)
{
    // A deletion rescans, which clears the selection; a failure leaves its alert.
    if (operation != BinScriptsModel::Operation::create || !ok)
        return;
    const auto &scripts = m_model->scripts();
    if (std::none_of(scripts.cbegin(), scripts.cend(), [&script](const ScriptFile &found) {
            return found.id == script.id;
        }))
        return;
    setSelectedID(script.id);
    openEditor(script);
}

void BinScriptsView::openEditor(const ScriptFile &script)
{
    ScriptEditorWindow *editor = ScriptEditorWindow::open(script, m_runner);
    // Unique: the same editor is raised again on every Edit click.
    connect(editor, &ScriptEditorWindow::saved, this, &BinScriptsView::editorSaved, Qt::UniqueConnection);
}

void BinScriptsView::editorSaved(const ScriptFile &script, const QString &statusMessage)
{
    m_statusLine->setFullText(statusMessage);
    // The preview shows the file, read again, never the editor's text.
    const auto selected = selectedScript();
    if (selected && selected->url == script.url) {
        loadPreview(m_selectedID);
        showDetail();
    }
}

void BinScriptsView::showBusy()
{
    // One elevated change at a time from the pane; the password prompt may be up for a while.
    const bool idle = !m_model->isBusy();
    m_newButton->setEnabled(idle);
    m_placeholderNewButton->setEnabled(idle);
    if (m_detail) {
        if (auto *deleteButton = m_detail->findChild<QPushButton *>(u"deleteButton"_s))
            deleteButton->setEnabled(idle);
    }
}

void BinScriptsView::confirmDelete()
{
    // The Delete key may come while the button is disabled.
    const auto script = selectedScript();
    if (!script || m_model->isBusy())
        return;
    const int choice =
        Dialogs::ask(this,
                     tr("Delete Script?"),
                     tr("Permanently delete \"%1\"? This cannot be undone.").arg(script->name),
                     {{tr("Delete"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                     QMessageBox::Warning,
                     1);
    if (choice != 0)
        return;
    if (const auto current = selectedScript())
        m_model->deleteScript(*current);
}
