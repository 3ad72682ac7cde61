#include "knownhosts/KnownHostsTableModel.h"

#include "knownhosts/KnownHostsModel.h"

#include <algorithm>
#include <cstring>

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
{
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
    m_folded.clear();
    qsizetype total = 0;
    for (const KnownHostEntry &entry : entries)
        total += entry.host.size() + entry.algorithm.size() + 2;
    m_folded.reserve(total);

    // Appends one field folded, as UTF-8; plain ASCII, nearly every line, is folded in place.
    const auto append = [&](const QString &field) {
        const QChar *in = field.constData();
        const qsizetype n = field.size();
        const qsizetype at = m_folded.size();
        m_folded.resize(at + n);
        char *out = m_folded.data() + at;
        qsizetype i = 0;
        if (!special) {
            for (; i < n; ++i) {
                const char16_t u = in[i].unicode();
                if (u >= 0x80)
                    break;
                out[i] = char((u >= u'A' && u <= u'Z') ? u + 32 : u);
            }
        }
        if (i < n) {
            m_folded.truncate(at);
            m_folded.append(foldForSearch(field, m_locale).toUtf8());
        }
        m_folded.append('\0');
    };
    for (const KnownHostEntry &entry : entries) {
        m_starts.push_back(m_folded.size());
        append(entry.host);
        append(entry.algorithm);
    }
    m_starts.push_back(m_folded.size());
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
    const QByteArray needle = foldForSearch(m_filterText, m_locale).toUtf8();
    // The separators keep a match inside one field; a text holding one can match nothing.
    if (needle.contains('\0'))
        return;

    // One pass over all folded keys; after a hit, skip to the next entry. Matching UTF-8 bytes is
    // matching characters: a valid needle can only match at character boundaries.
    const char *haystack = m_folded.constData();
    const qsizetype size = m_folded.size();
    qsizetype from = 0;
    size_t entry = 0;
    while (from < size) {
        const void *found = memmem(haystack + from, size_t(size - from), needle.constData(), size_t(needle.size()));
        if (!found)
            break;
        const qsizetype hit = static_cast<const char *>(found) - haystack;
        // Hits come in order and usually close together: gallop forward from the last entry.
        size_t step = 1;
        while (entry + step < m_starts.size() && m_starts[entry + step] <= hit) {
            entry += step;
            step *= 2;
        }
        entry =
            size_t(
                std::upper_bound(m_starts.begin() + entry, m_starts.begin() + qMin(entry + step, m_starts.size()), hit)
                - m_starts.begin())
            - 1;
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
    case Qt::ToolTipRole:
        if (column == HostColumn && entry.isHashed)
            return tr("Hostname is hashed for privacy (HashKnownHosts yes)");
        return {};
    case IsHashedRole:
        return entry.isHashed;
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
