#include "knownhosts/KnownHostsTableModel.h"

#include "knownhosts/KnownHostsModel.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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
    , m_nameTimer(new QTimer(this))
{
    m_nameTimer->setSingleShot(true);
    m_nameTimer->setInterval(namePauseMs);
    connect(m_nameTimer, &QTimer::timeout, this, &KnownHostsTableModel::lookUpName);
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

bool KnownHostsTableModel::isHostName(QStringView text)
{
    if (text.isEmpty())
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Separator_Space || c == u',' || c == u'*' || c == u'?' || c == u'!'
               || c == u'|' || c == u'#' || c == u'@';
    });
}

void KnownHostsTableModel::rebuildIndex()
{
    m_locale = QLocale();
    m_nameMatches.clear();
    const bool special = hasSpecialCasing(m_locale);
    const QList<KnownHostEntry> &entries = m_source->entries();
    const QByteArray hashedText = KnownHostsModel::hashedHostText().toUtf8();
    const auto hostOf = [&](const KnownHostEntry &entry) {
        return entry.isHashed ? QByteArrayView(hashedText) : entry.hostBytes();
    };
    const auto markerOf = [](const KnownHostEntry &entry) {
        return entry.markerKind == KnownHostEntry::Marker::None      ? QByteArrayView()
               : entry.markerKind == KnownHostEntry::Marker::Revoked ? QByteArrayView("@revoked")
                                                                     : QByteArrayView("@cert-authority");
    };
    m_starts.clear();
    m_starts.reserve(entries.size() + 1);
    m_folded.clear();
    qsizetype total = 0;
    for (const KnownHostEntry &entry : entries)
        total += hostOf(entry).size() + entry.algorithmBytes().size() + markerOf(entry).size() + 3;
    m_folded.reserve(total);

    // Appends one UTF-8 field folded; plain ASCII, nearly every line, is folded in place.
    const auto append = [&](QByteArrayView field) {
        const qsizetype n = field.size();
        const qsizetype at = m_folded.size();
        m_folded.resize(at + n);
        char *out = m_folded.data() + at;
        qsizetype i = 0;
        if (!special) {
            for (; i < n; ++i) {
                const char c = field[i];
                if (uchar(c) >= 0x80)
                    break;
                out[i] = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
            }
        }
        if (i < n) {
            m_folded.truncate(at);
            m_folded.append(foldForSearch(QString::fromUtf8(field), m_locale).toUtf8());
        }
        m_folded.append('\0');
    };
    for (const KnownHostEntry &entry : entries) {
        m_starts.push_back(m_folded.size());
        append(hostOf(entry));
        append(entry.algorithmBytes());
        append(markerOf(entry));
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

void KnownHostsTableModel::lookUpName()
{
    if (!isHostName(m_filterText))
        return;
    // ssh looks names up in lower case; hashed entries hold the hash of what ssh used.
    m_nameMatches = m_source->find(m_filterText.toLower());
    if (!m_nameMatches.isEmpty()) {
        beginResetModel();
        std::vector<int> merged;
        merged.reserve(m_visible.size() + size_t(m_nameMatches.size()));
        std::set_union(m_visible.begin(),
                       m_visible.end(),
                       m_nameMatches.begin(),
                       m_nameMatches.end(),
                       std::back_inserter(merged));
        m_visible = std::move(merged);
        endResetModel();
    }
    emit nameLookupFinished();
}

bool KnownHostsTableModel::isNameMatch(qsizetype entry) const
{
    return std::binary_search(m_nameMatches.cbegin(), m_nameMatches.cend(), entry);
}

void KnownHostsTableModel::applyFilter()
{
    const auto count = int(m_source->entries().size());
    m_visible.clear();
    m_nameMatches.clear();
    if (isHostName(m_filterText))
        m_nameTimer->start();
    else
        m_nameTimer->stop();
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
    const int entryIndex = m_visible.at(index.row());
    const KnownHostEntry &entry = m_source->entries().at(entryIndex);
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == HostColumn)
            return entry.isHashed && isNameMatch(entryIndex) ? m_filterText : entry.host();
        return column == AlgorithmColumn ? entry.algorithm() : entry.fingerprint();
    case Qt::ToolTipRole:
        if (column == FingerprintColumn)
            return entry.rawLine();
        if (column != HostColumn)
            return {};
        if (entry.markerKind == KnownHostEntry::Marker::CertAuthority)
            return tr("@cert-authority: the key signs host certificates for these hosts");
        if (entry.markerKind == KnownHostEntry::Marker::Revoked)
            return tr("@revoked: ssh refuses this key for these hosts");
        if (entry.isHashed && isNameMatch(entryIndex))
            return tr("Hashed entry for %1").arg(m_filterText);
        if (entry.isHashed)
            return tr("Hostname is hashed for privacy (HashKnownHosts yes)");
        return {};
    case Qt::AccessibleTextRole:
        if (column == HostColumn && entry.markerKind != KnownHostEntry::Marker::None)
            return entry.marker() + u' ' + data(index, Qt::DisplayRole).toString();
        return data(index, Qt::DisplayRole);
    case IsHashedRole:
        return entry.isHashed;
    case MarkerRole:
        return entry.marker();
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
    case FingerprintColumn:
        return tr("Fingerprint");
    default:
        return {};
    }
}
