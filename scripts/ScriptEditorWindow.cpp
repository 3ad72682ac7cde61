#include "scripts/ScriptEditorWindow.h"

#include "ui/PaneChrome.h"
#include "ui/Style.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ScriptEditorWindow::ScriptEditorWindow(const ScriptFile &script, const QString &content, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_script(script)
    , m_textView(new QPlainTextEdit(this))
    , m_saveButton(new QPushButton(tr("Save"), this))
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
    auto *save = new QAction(tr("Save"), this);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &ScriptEditorWindow::saveAction);
    addAction(save);
    connect(m_textView, &QPlainTextEdit::textChanged, this, &ScriptEditorWindow::textDidChange);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

ScriptEditorWindow::~ScriptEditorWindow()
{
    // Destroyed without closing (for example at exit): leave no dangling entry behind.
    auto &editors = openScriptEditors();
    if (const auto it = editors.constFind(m_script.url); it != editors.cend() && it.value() == this)
        editors.erase(it);
}

QHash<QString, ScriptEditorWindow *> &ScriptEditorWindow::openScriptEditors()
{
    static QHash<QString, ScriptEditorWindow *> editors;
    return editors;
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
    if (onSave)
        onSave(text());
    m_isDirty = false;
    setWindowModified(false);
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

void ScriptEditorWindow::textDidChange()
{
    m_isDirty = true;
    setWindowModified(true);
}

void ScriptEditorWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (onClose)
        onClose();
    deleteLater();
}
