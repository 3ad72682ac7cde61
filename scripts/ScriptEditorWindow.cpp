#include "scripts/ScriptEditorWindow.h"

#include "ui/Dialogs.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

ScriptEditorWindow::ScriptEditorWindow(const ScriptFile &script,
                                       const QString &content,
                                       std::shared_ptr<PrivilegedRunner> runner,
                                       QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_script(script)
    , m_model(new BinScriptsModel(QFileInfo(script.url).absolutePath(), std::move(runner), this))
    , m_textView(new QPlainTextEdit(this))
    , m_busyLabel(new QLabel(tr("Waiting for administrator rights…"), this))
    , m_saveButton(new QPushButton(tr("Save"), this))
    , m_saveAction(new QAction(tr("Save"), this))
{
    setObjectName(u"scriptEditorWindow"_s);
    setWindowTitle(script.name + u"[*]"_s);
    resize(700, 520);

    auto *header = new QWidget(this);
    header->setFixedHeight(42);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(Style::sideMargin, 0, Style::sideMargin, 0);
    headerLayout->setSpacing(8);
    // The path gives way first when the window is narrow, shortened in its middle.
    auto *pathLabel = new StatusLine(header);
    pathLabel->setObjectName(u"pathLabel"_s);
    pathLabel->setContentsMargins(0, 0, 0, 0);
    pathLabel->setFullText(script.url);
    headerLayout->addWidget(pathLabel, 1);
    m_busyLabel->setObjectName(u"busyLabel"_s);
    m_busyLabel->setFont(Style::captionFont());
    Style::setTextColor(m_busyLabel, Style::secondary());
    m_busyLabel->hide();
    headerLayout->addWidget(m_busyLabel);
    m_saveButton->setObjectName(u"saveButton"_s);
    m_saveButton->setToolTip(
        tr("Save and close (%1)").arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    m_saveButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addWidget(m_saveButton);

    m_textView->setObjectName(u"textView"_s);
    m_textView->setFont(Style::monospaceFont());
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->document()->setDocumentMargin(8);
    m_textView->setPlainText(content);
    m_originalContent = content;
    m_crlf = content.contains(u"\r\n"_s);
    m_textView->setAccessibleName(tr("Script text"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(makeDivider(Qt::Horizontal, this));
    layout->addWidget(m_textView, 1);

    connect(m_saveButton, &QPushButton::clicked, this, &ScriptEditorWindow::saveAction);
    // An action rather than the button's own shortcut, which would only click after a short animation.
    m_saveAction->setShortcut(QKeySequence::Save);
    connect(m_saveAction, &QAction::triggered, this, &ScriptEditorWindow::saveAction);
    addAction(m_saveAction);
    connect(m_textView, &QPlainTextEdit::textChanged, this, [this] {
        m_isDirty = true;
        setWindowModified(true);
    });
    connect(m_model, &BinScriptsModel::busyChanged, this, &ScriptEditorWindow::showSaving);
    connect(m_model, &BinScriptsModel::operationFinished, this, &ScriptEditorWindow::saveFinished);
    ModelAlert::attach(this, m_model);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (!openScriptEditors().contains(m_script.url))
        openScriptEditors().insert(m_script.url, this);
}

ScriptEditorWindow::~ScriptEditorWindow()
{
    // Destroyed without closing (for example at exit): leave no dangling entry behind.
    auto &editors = openScriptEditors();
    if (const auto it = editors.constFind(m_script.url); it != editors.cend() && it.value() == this)
        editors.erase(it);
}

ScriptEditorWindow *ScriptEditorWindow::open(const ScriptFile &script, std::shared_ptr<PrivilegedRunner> runner)
{
    ScriptEditorWindow *editor = openScriptEditors().value(script.url);
    // A file that is unreadable or not UTF-8 opens empty, as the preview shows it.
    if (!editor)
        editor = new ScriptEditorWindow(script, BinScriptsModel::readText(script.url).value_or(QString()), runner);
    editor->showWindow();
    return editor;
}

QHash<QString, ScriptEditorWindow *> &ScriptEditorWindow::openScriptEditors()
{
    static QHash<QString, ScriptEditorWindow *> editors;
    return editors;
}

bool ScriptEditorWindow::anySaveInProgress()
{
    const auto &editors = openScriptEditors();
    return std::any_of(editors.cbegin(), editors.cend(), [](const ScriptEditorWindow *editor) {
        return editor->isSaving();
    });
}

bool ScriptEditorWindow::confirmQuit(QWidget *parent)
{
    if (!anySaveInProgress())
        return true;
    const int choice =
        Dialogs::ask(parent,
                     tr("Save in Progress"),
                     tr("A script is still being saved with administrator rights. Quit anyway?"),
                     {{tr("Quit"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                     QMessageBox::Warning,
                     1);
    if (choice != 0)
        return false;
    for (ScriptEditorWindow *editor : std::as_const(openScriptEditors()))
        editor->m_closeWhileSaving = true;
    return true;
}

void ScriptEditorWindow::showWindow()
{
    show();
    raise();
    activateWindow();
    m_textView->setFocus(Qt::ActiveWindowFocusReason);
}

void ScriptEditorWindow::saveAction()
{
    if (isSaving())
        return;
    m_savingText = text();
    m_model->save(m_script, m_savingText);
}

void ScriptEditorWindow::showSaving()
{
    // The text stays as it is being written; the window itself keeps answering.
    const bool saving = isSaving();
    m_busyLabel->setVisible(saving);
    m_saveButton->setEnabled(!saving);
    m_saveAction->setEnabled(!saving);
    m_textView->setReadOnly(saving);
}

void ScriptEditorWindow::saveFinished(BinScriptsModel::Operation operation, const ScriptFile &, bool ok)
{
    // A failure leaves the window open with its alert.
    if (operation != BinScriptsModel::Operation::save || !ok)
        return;
    m_isDirty = false;
    setWindowModified(false);
    emit saved(m_script, m_savingText, m_model->statusMessage());
    close();
}

QString ScriptEditorWindow::text() const
{
    // toPlainText() would turn no-break spaces into spaces and line separators into line feeds,
    // changing bytes the user never touched; only the block breaks are turned back into line ends.
    if (!m_isDirty)
        return m_originalContent;
    QString text = m_textView->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    // The document splits lines at CR LF too; write such a file back with the endings it had.
    if (m_crlf)
        text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

void ScriptEditorWindow::closeEvent(QCloseEvent *event)
{
    if (isSaving() && !m_closeWhileSaving) {
        const int choice =
            Dialogs::ask(this,
                         tr("Save in Progress"),
                         tr("A script is still being saved with administrator rights. Close anyway?"),
                         {{tr("Close"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                         QMessageBox::Warning,
                         1);
        if (choice != 0) {
            event->ignore();
            return;
        }
    }
    event->accept();
    auto &editors = openScriptEditors();
    if (editors.value(m_script.url) == this)
        editors.remove(m_script.url);
    deleteLater();
}
