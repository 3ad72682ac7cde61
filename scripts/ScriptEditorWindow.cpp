#include "scripts/ScriptEditorWindow.h"

#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QCloseEvent>
#include <QCollator>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
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
    , m_errorBar(new QWidget(this))
    , m_errorLabel(new QLabel(m_errorBar))
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
    Style::setTextColor(m_busyLabel, Style::Tone::Secondary);
    m_busyLabel->hide();
    headerLayout->addWidget(m_busyLabel);
    m_saveButton->setObjectName(u"saveButton"_s);
    m_saveButton->setToolTip(
        tr("Save and close (%1)").arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    m_saveButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addWidget(m_saveButton);

    // The error stays in sight above the text the file did not take, until the next save.
    m_errorBar->setObjectName(u"saveErrorBar"_s);
    auto *errorLayout = new QHBoxLayout(m_errorBar);
    errorLayout->setContentsMargins(Style::sideMargin, 6, Style::sideMargin, 6);
    auto *errorIcon = new IconLabel(u"exclamationmark.triangle.fill"_s,
                                    Style::Tone::Destructive,
                                    QFontMetrics(Style::captionFont()).height(),
                                    m_errorBar);
    errorLayout->addWidget(errorIcon, 0, Qt::AlignTop);
    m_errorLabel->setObjectName(u"saveErrorLabel"_s);
    m_errorLabel->setTextFormat(Qt::PlainText);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_errorLabel->setFont(Style::captionFont());
    Style::setTextColor(m_errorLabel, Style::Tone::Destructive);
    errorLayout->addWidget(m_errorLabel, 1);
    m_errorBar->hide();

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
    layout->addWidget(m_errorBar);
    layout->addWidget(m_textView, 1);

    connect(m_saveButton, &QPushButton::clicked, this, &ScriptEditorWindow::saveAction);
    // An action rather than the button's own shortcut, which would only click after a short animation.
    m_saveAction->setShortcut(QKeySequence::Save);
    connect(m_saveAction, &QAction::triggered, this, &ScriptEditorWindow::saveAction);
    addAction(m_saveAction);
    connect(m_textView, &QPlainTextEdit::textChanged, this, [this] {
        m_isDirty = true;
        m_closeWithoutAsking = false;
        setWindowModified(true);
    });
    connect(m_model, &BinScriptsModel::busyChanged, this, &ScriptEditorWindow::showSaving);
    connect(m_model, &BinScriptsModel::operationFinished, this, &ScriptEditorWindow::saveFinished);
    connect(m_model, &BinScriptsModel::errorMessageChanged, this, &ScriptEditorWindow::showError);

    // Placed by the window system, which knows where a new window belongs (and Wayland ignores move()).
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
    // A second quit while a question or a save is waiting here would ask everything again.
    static bool asking = false;
    if (asking)
        return false;
    const QScopedValueRollback guard(asking, true);
    if (anySaveInProgress()) {
        const int choice =
            Dialogs::ask(parent,
                         tr("Save in Progress"),
                         tr("A script is still being saved with administrator rights. Quit anyway?"),
                         {{tr("Quit"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                         QMessageBox::Warning,
                         1);
        if (choice != 0)
            return false;
    }
    QList<QPointer<ScriptEditorWindow>> edited;
    for (ScriptEditorWindow *editor : std::as_const(openScriptEditors())) {
        if (editor->isDirty() && !editor->isSaving())
            edited << editor;
    }
    QCollator collator;
    std::sort(edited.begin(), edited.end(), [&collator](const auto &a, const auto &b) {
        return collator.compare(a->m_script.url, b->m_script.url) < 0;
    });
    for (const QPointer<ScriptEditorWindow> &editor : std::as_const(edited)) {
        if (!editor)
            continue;
        editor->showWindow();
        switch (editor->askToSave(true)) {
        case Answer::save:
            if (!saveAndWait(editor))
                return false;
            break;
        case Answer::discard:
            break;
        case Answer::cancel:
            return false;
        }
    }
    for (ScriptEditorWindow *editor : std::as_const(openScriptEditors()))
        editor->m_closeWithoutAsking = true;
    return true;
}

ScriptEditorWindow::Answer ScriptEditorWindow::askToSave(bool quitting)
{
    const QString text = quitting ? tr("Save the changes to %1 before quitting?").arg(m_script.name)
                                  : tr("Save the changes to %1 before closing?").arg(m_script.name);
    const int choice = Dialogs::ask(this,
                                    tr("Unsaved Changes"),
                                    text,
                                    {{tr("Save"), QMessageBox::AcceptRole},
                                     {tr("Discard"), QMessageBox::DestructiveRole},
                                     {tr("Cancel"), QMessageBox::RejectRole}},
                                    QMessageBox::Warning,
                                    2);
    return choice == 0 ? Answer::save : choice == 1 ? Answer::discard : Answer::cancel;
}

bool ScriptEditorWindow::saveAndWait(ScriptEditorWindow *editor)
{
    // The editor closes itself once the text is written, so only the outcome is kept here.
    bool ok = false;
    QEventLoop loop;
    connect(editor->m_model,
            &BinScriptsModel::operationFinished,
            &loop,
            [&ok, &loop](BinScriptsModel::Operation operation, const ScriptFile &, bool written) {
                if (operation == BinScriptsModel::Operation::save) {
                    ok = written;
                    loop.quit();
                }
            });
    editor->saveAction();
    if (editor->isSaving())
        loop.exec();
    return ok;
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
    m_model->setErrorMessage(std::nullopt);
    m_model->save(m_script, text());
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
    // A failure leaves the window open with its error line.
    if (operation != BinScriptsModel::Operation::save || !ok)
        return;
    m_isDirty = false;
    setWindowModified(false);
    emit saved(m_script, m_model->statusMessage());
    // Inside closeEvent (Save in the close question) this does nothing and that close goes on.
    close();
}

void ScriptEditorWindow::showError()
{
    const auto message = m_model->errorMessage();
    m_errorLabel->setText(message.value_or(QString()));
    m_errorBar->setVisible(message.has_value());
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
    if (isSaving() && !m_closeWithoutAsking) {
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
    } else if (m_isDirty && !m_closeWithoutAsking) {
        const Answer answer = askToSave(false);
        if (answer == Answer::save)
            saveAction();
        // A save that waits for administrator rights closes the window when it is done.
        if (answer == Answer::cancel || (answer == Answer::save && m_isDirty)) {
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
