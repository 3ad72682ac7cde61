#include "knownhosts/KnownHostsTableModel.h"

#include "knownhosts/KnownHostsModel.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QStringMatcher>

using namespace Qt::StringLiterals;

namespace {
    // Languages whose case mapping differs from the default one (dotted and dotless i).
    bool hasSpecialCasing(const QLocale &locale)
    {
        const QLocale::Language language = locale.language();
        return language == QLocale::Turkish || language == QLocale::Azerbaijani || language == QLocale::Lithuanian;
    }
} // namespace

KnownHostsTableModel::KnownHostsTableModel(const KnownHostsModel *source, QObject *parent)
    : QAbstractTableModel(parent)
    , m_source(source)
    , m_lockIcon(SymbolIcon::icon(u"lock.fill"_s, Style::secondary()))
    , m_hostFont(Style::monospaceFont())
    , m_detailFont(Style::monospaceFont())
{
    m_detailFont.setPointSizeF(Style::captionFont().pointSizeF());
    connect(source, &KnownHostsModel::entriesChanged, this, [this] {
        beginResetModel();
        rebuildIndex();
        applyFilter();
        endResetModel();
    });
    rebuildIndex();
    applyFilter();
}

QString KnownHostsTableModel::foldForSearch(QStringView text, const QLocale &locale)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii || hasSpecialCasing(locale))
        return locale.toLower(text.toString()).toCaseFolded();
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (QChar c : text)
        *out++ = (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
    return folded;
}

void KnownHostsTableModel::rebuildIndex()
{
    m_locale = QLocale();
    const bool special = hasSpecialCasing(m_locale);
    const QList<KnownHostEntry> &entries = m_source->entries();
    m_starts.clear();
    m_starts.reserve(entries.size() + 1);
    qsizetype total = 0;
    for (const KnownHostEntry &entry : entries)
        total += entry.host.size() + entry.algorithm.size() + 2;
    m_folded = QString(total, Qt::Uninitialized);
    QChar *out = m_folded.data();
    const QChar *begin = out;

    // Appends one field folded; the plain ASCII case, nearly every line, needs no allocation.
    const auto append = [&](const QString &field) {
        const QChar *in = field.constData();
        const qsizetype n = field.size();
        qsizetype i = 0;
        if (!special) {
            for (; i < n; ++i) {
                const char16_t u = in[i].unicode();
                if (u >= 0x80)
                    break;
                out[i] = (u >= u'A' && u <= u'Z') ? QChar(u + 32) : QChar(u);
            }
        }
        if (i == n) {
            out += n;
        } else {
            const QString folded = foldForSearch(field, m_locale);
            // Folding may change the length; grow the buffer when it does.
            const qsizetype at = out - begin;
            if (folded.size() > n) {
                const qsizetype growth = folded.size() - n;
                m_folded.resize(m_folded.size() + growth);
                out = m_folded.data() + at;
                begin = m_folded.constData();
            }
            std::copy(folded.cbegin(), folded.cend(), out);
            out += folded.size();
        }
        *out++ = QChar(0);
    };
    for (const KnownHostEntry &entry : entries) {
        m_starts.push_back(out - begin);
        append(entry.host);
        append(entry.algorithm);
    }
    m_starts.push_back(out - begin);
    m_folded.truncate(out - begin);
}

void KnownHostsTableModel::setFilterText(const QString &text)
{
    if (text == m_filterText)
        return;
    beginResetModel();
    m_filterText = text;
    applyFilter();
    endResetModel();
}

void KnownHostsTableModel::applyFilter()
{
    const auto count = int(m_source->entries().size());
    m_visible.clear();
    if (m_filterText.isEmpty()) {
        m_visible.resize(count);
        for (int i = 0; i < count; ++i)
            m_visible[i] = i;
        return;
    }
    const QString needle = foldForSearch(m_filterText, m_locale);
    // The separators keep a match inside one field; a text holding one can match nothing.
    if (needle.contains(QChar(0)))
        return;

    // One pass over all folded keys; after a hit, skip to the next entry.
    const QStringMatcher matcher(needle, Qt::CaseSensitive);
    const QStringView haystack(m_folded);
    qsizetype from = 0;
    size_t entry = 0;
    while (true) {
        const qsizetype hit = matcher.indexIn(haystack, from);
        if (hit < 0)
            break;
        entry = size_t(std::upper_bound(m_starts.begin() + entry, m_starts.end(), hit) - m_starts.begin()) - 1;
        m_visible.push_back(int(entry));
        from = m_starts[entry + 1];
        ++entry;
    }
}

int KnownHostsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int KnownHostsTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const KnownHostEntry &KnownHostsTableModel::entryAt(int row) const
{
    return m_source->entries().at(m_visible.at(row));
}

QList<int> KnownHostsTableModel::rowsOf(const QSet<QUuid> &ids) const
{
    QList<int> rows;
    if (ids.isEmpty())
        return rows;
    const QList<KnownHostEntry> &entries = m_source->entries();
    for (size_t row = 0; row < m_visible.size(); ++row) {
        if (ids.contains(entries.at(m_visible[row]).id))
            rows.append(int(row));
    }
    return rows;
}

QVariant KnownHostsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const KnownHostEntry &entry = entryAt(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == HostColumn ? entry.host : column == AlgorithmColumn ? entry.algorithm : entry.keyPreview;
    case Qt::DecorationRole:
        if (column == HostColumn && entry.isHashed)
            return m_lockIcon;
        return {};
    case Qt::ToolTipRole:
        if (column == HostColumn && entry.isHashed)
            return tr("Hostname is hashed for privacy (HashKnownHosts yes)");
        return {};
    case Qt::FontRole:
        return column == HostColumn ? m_hostFont : m_detailFont;
    case Qt::ForegroundRole:
        if (column != HostColumn)
            return Style::secondary();
        return {};
    default:
        return {};
    }
}

QVariant KnownHostsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case HostColumn:
        return tr("Host");
    case AlgorithmColumn:
        return tr("Algorithm");
    case KeyPreviewColumn:
        return tr("Key Preview");
    default:
        return {};
    }
}
