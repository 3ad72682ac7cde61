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

int HostDetailView::labelColumnWidth() const
{
    // One column for every label, so the fields line up as in a form.
    if (m_labelWidth == 0) {
        const QFontMetrics metrics(font());
        int widest = metrics.horizontalAdvance(tr("Host Alias"));
        for (const QString &key : OptionCatalogue::allKnownKeys())
            widest = std::max(widest, metrics.horizontalAdvance(key));
        m_labelWidth = std::min(widest + 12, 260);
    }
    return m_labelWidth;
}

QWidget *HostDetailView::makeSection(const QString &title, QWidget **box, QVBoxLayout **boxLayout)
{
    auto *container = new QWidget(m_content);
    auto *layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!title.isEmpty()) {
        auto *label = new QLabel(title, container);
        label->setFont(Style::labelFont());
        Style::setTextColor(label, Style::Tone::Secondary);
        label->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(label);
    }
    *box = new SectionBox(container);
    *boxLayout = new QVBoxLayout(*box);
    (*boxLayout)->setContentsMargins(12, 6, 8, 6);
    (*boxLayout)->setSpacing(2);
    layout->addWidget(*box);
    return container;
}

HostDetailView::OptionRow HostDetailView::makeRow(const QString &key, QWidget *parent)
{
    OptionRow r;
    r.key = key;
    r.repeats = OptionCatalogue::acceptsRepeats(key);
    r.custom = !OptionCatalogue::knownKey(key);
    r.row = new QWidget(parent);
    r.row->setObjectName(key + u"Row"_s);
    auto *layout = new QHBoxLayout(r.row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(6);

    // The label has a buddy, which would read "&" in a custom option's name as a mnemonic.
    r.label = new QLabel(Mnemonic::escaped(key), r.row);
    r.label->setMinimumWidth(labelColumnWidth());
    layout->addWidget(r.label, 0, Qt::AlignTop);
    r.column = new QVBoxLayout;
    r.column->setSpacing(2);
    layout->addLayout(r.column, 1);

    const auto &pickers = OptionCatalogue::optionPickerValues();
    const auto pickerValues = pickers.constFind(key);
    if (pickerValues != pickers.cend()) {
        r.picker = new QComboBox(r.row);
        r.picker->setObjectName(key + u"Picker"_s);
        r.picker->setAccessibleName(key);
        r.picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        r.picker->setMinimumWidth(150); // keeps the column of pickers from looking ragged
        r.picker->addItem(tr("(unset)"));
        r.picker->insertSeparator(1);
        r.picker->addItems(*pickerValues);
        r.label->setBuddy(r.picker);
        auto *line = new QHBoxLayout;
        line->addStretch(1);
        line->addWidget(r.picker);
        r.column->addLayout(line);
        connect(r.picker, &QComboBox::activated, this, [this, key, picker = r.picker](int index) {
            // Item 0 is "(unset)", item 1 the separator.
            writeOption(key, index >= 2 ? picker->itemText(index) : QString());
            picker->setPlaceholderText({});
        });
    } else {
        addField(r);
    }

    const QString helpText = OptionCatalogue::helpText(key);
    QWidget *trailing = nullptr;
    if (r.repeats || !helpText.isEmpty()) {
        trailing = new QWidget(r.row);
        auto *trailingLayout = new QHBoxLayout(trailing);
        trailingLayout->setContentsMargins(0, 0, 0, 0);
        trailingLayout->setSpacing(6);
        if (r.repeats) {
            r.add = iconButton(u"plus.circle"_s, Style::Tone::Accent, tr("Add another %1").arg(key), trailing);
            r.add->setObjectName(key + u"AddButton"_s);
            trailingLayout->addWidget(r.add);
            connect(r.add, &QToolButton::clicked, this, [this, key] {
                addValue(key);
            });
        }
        if (!helpText.isEmpty()) {
            r.info = new InfoButton(helpText, trailing);
            r.info->setAccessibleName(tr("Help for %1").arg(key));
            r.info->setFocusPolicy(Qt::NoFocus); // F1 in the field opens it
            trailingLayout->addWidget(r.info);
        }
        layout->addWidget(trailing, 0, Qt::AlignTop);
    }

    // Every line is as tall as the tallest control of the first, so the label and the buttons on
    // the right line up with the first field however many follow.
    r.row->ensurePolished(); // size hints follow the style only once it is applied
    QWidget *first = r.picker ? static_cast<QWidget *>(r.picker) : r.fields.constFirst().line;
    r.lineHeight = first->sizeHint().height();
    for (QWidget *w : {static_cast<QWidget *>(r.label), trailing}) {
        if (w)
            r.lineHeight = std::max(r.lineHeight, w->sizeHint().height());
    }
    for (const Field &f : std::as_const(r.fields))
        f.line->setMinimumHeight(r.lineHeight);
    r.label->setMinimumHeight(r.lineHeight);
    if (trailing)
        trailing->setFixedHeight(r.lineHeight);
    return r;
}

void HostDetailView::addField(OptionRow &row)
{
    Field f;
    f.line = new QWidget(row.row);
    f.line->setMinimumHeight(row.lineHeight);
    auto *layout = new QHBoxLayout(f.line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    f.edit = new QLineEdit(f.line);
    makeBorderlessField(f.edit);
    f.edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f.edit->setFont(Style::monospaceFont());
    layout->addWidget(f.edit, 1);
    // One Tab stop per row: emptying the field does what the button does.
    f.clear = iconButton(u"xmark.circle.fill"_s, Style::Tone::Tertiary, QString(), f.line, Qt::NoFocus);
    f.clear->hide();
    layout->addWidget(f.clear);

    const QString key = row.key;
    connect(f.edit, &QLineEdit::textEdited, this, [this, key, edit = f.edit] {
        fieldEdited(key, edit);
    });
    connect(f.clear, &QToolButton::clicked, this, [this, key, edit = f.edit] {
        removeValue(key, edit);
    });
    if (row.custom) {
        connect(f.edit, &QLineEdit::editingFinished, this, [this, key] {
            checkValue(key);
        });
    }
    if (key == identityFileKey) {
        f.browse = iconButton(u"folder"_s, Style::Tone::Secondary, QString(), f.line);
        layout->addWidget(f.browse);
        connect(f.browse, &QToolButton::clicked, this, [this, key, edit = f.edit] {
            chooseKeyFile(key, edit);
        });
    }
    row.column->insertWidget(int(row.fields.size()), f.line);
    f.line->show(); // at once, not when the layout gets to it, so the new field can take focus
    row.fields.append(f);
    nameFields(row);
}

void HostDetailView::dropField(OptionRow &row, qsizetype at)
{
    const Field f = row.fields.takeAt(at);
    // The field may be torn down from inside one of its own signals, so delete it later.
    f.line->hide();
    for (QObject *child : f.line->findChildren<QObject *>())
        child->setObjectName({});
    row.column->removeWidget(f.line);
    f.line->deleteLater();
    nameFields(row);
}

void HostDetailView::nameFields(OptionRow &row)
{
    if (!row.fields.isEmpty())
        row.label->setBuddy(row.fields.constFirst().edit);
    for (qsizetype i = 0; i < row.fields.size(); ++i) {
        const Field &f = row.fields.at(i);
        const QString number = i == 0 ? QString() : QString::number(i + 1);
        //: An option name and the number of its field, for a screen reader ("IdentityFile 2").
        const QString name = i == 0 ? row.key : tr("%1 %2").arg(row.key, number);
        f.edit->setObjectName(row.key + u"Edit"_s + number);
        f.edit->setAccessibleName(name);
        f.clear->setObjectName(row.key + u"ClearButton"_s + number);
        const QString clearText = row.repeats ? tr("Remove %1").arg(name) : tr("Clear %1").arg(name);
        f.clear->setToolTip(clearText);
        f.clear->setAccessibleName(clearText);
        if (f.browse) {
            f.browse->setObjectName(u"browseButton"_s + number);
            const QString browseText =
                i == 0 ? tr("Browse for private key file") : tr("Browse for private key file %1").arg(number);
            f.browse->setToolTip(browseText);
            f.browse->setAccessibleName(browseText);
        }
    }
}

HostDetailView::OptionRow *HostDetailView::findRow(const QString &key)
{
    if (const auto found = m_rowIndex.constFind(key); found != m_rowIndex.cend())
        return &m_rows[*found];
    for (OptionRow &row : m_customRows) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

void HostDetailView::fillRow(OptionRow &row, const HostBlock &b, bool force)
{
    if (row.picker) {
        const QString value = b.value(row.key).value_or(QString());
        const QStringList values = OptionCatalogue::optionPickerValues().value(row.key);
        const qsizetype at = values.indexOf(value);
        if (value.isEmpty()) {
            row.picker->setCurrentIndex(0);
        } else if (at >= 0) {
            row.picker->setCurrentIndex(int(at) + 2);
        } else {
            // A value outside the list stays as it is until the user picks an item.
            row.picker->setCurrentIndex(-1);
            row.picker->setPlaceholderText(value);
        }
        if (row.picker->currentIndex() >= 0)
            row.picker->setPlaceholderText({});
    } else if (row.repeats) {
        fillValues(row, b.values(row.key), force);
    } else {
        fillValues(row, {b.value(row.key).value_or(QString())}, force);
    }
    updateClearButtons(row, b);
    if (!row.repeats)
        showIgnoredLines(row, b.values(row.key).size() - 1);
    if (row.custom)
        showUnknownKeyword(row, b);
}

void HostDetailView::fillValues(OptionRow &row, const QStringList &values, bool force)
{
    const auto fill = [force](const Field &f, const QString &value) {
        // Leave the field being typed in alone: its untrimmed text is the user's, not ours.
        if (force || (!f.edit->hasFocus() && TextRules::trimmed(f.edit->text()) != value)) {
            if (f.edit->text() != value)
                f.edit->setText(value);
        }
    };
    // Empty fields hold no line of the file (one just added, or one the user is typing in), so
    // the values go to the others in order. A different count means the file changed under the
    // form: then the fields start again from the values.
    const qsizetype filled = std::count_if(row.fields.cbegin(), row.fields.cend(), [](const Field &f) {
        return !isEmptyField(f.edit);
    });
    if (!force && filled == values.size()) {
        qsizetype next = 0;
        for (const Field &f : std::as_const(row.fields)) {
            if (!isEmptyField(f.edit))
                fill(f, values.at(next++));
        }
        return;
    }
    const qsizetype wanted = std::max<qsizetype>(1, values.size());
    const bool reshaped = row.fields.size() != wanted;
    while (row.fields.size() > wanted)
        dropField(row, row.fields.size() - 1);
    while (row.fields.size() < wanted)
        addField(row);
    for (qsizetype i = 0; i < row.fields.size(); ++i)
        fill(row.fields.at(i), values.value(i));
    if (reshaped)
        updateTabOrder();
}

void HostDetailView::updateClearButtons(OptionRow &row, const HostBlock &b)
{
    if (row.fields.isEmpty())
        return;
    if (!row.repeats) {
        row.fields.constFirst().clear->setVisible(!b.value(row.key).value_or(QString()).isEmpty());
        return;
    }
    // A lone empty field has nothing to remove; an added one can be taken away again.
    for (const Field &f : std::as_const(row.fields))
        f.clear->setVisible(row.fields.size() > 1 || !isEmptyField(f.edit));
}

void HostDetailView::showIgnoredLines(OptionRow &row, qsizetype later)
{
    if (later <= 0) {
        if (row.ignored && !row.ignored->isHidden()) {
            row.ignored->hide();
            describe(row);
        }
        return;
    }
    if (!row.ignored) {
        row.ignored = new QLabel(row.row);
        row.ignored->setObjectName(row.key + u"IgnoredLabel"_s);
        row.ignored->setWordWrap(true);
        row.ignored->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.ignored->setFont(Style::captionFont());
        Style::setTextColor(row.ignored, Style::Tone::Secondary);
        row.column->addWidget(row.ignored);
    }
    // ssh keeps the first value it reads for these options and skips every later line.
    const QString text =
        later == 1 ? tr("ssh uses the first %1 line; the 1 later line is ignored.").arg(row.key)
                   : tr("ssh uses the first %1 line; the %2 later lines are ignored.").arg(row.key).arg(later);
    const bool changed = row.ignored->text() != text || row.ignored->isHidden();
    row.ignored->setText(text);
    row.ignored->show();
    if (changed)
        describe(row);
}
