#include "overviewrules.h"

#include <QHash>

namespace overviewrules {

namespace {

// How often each text occurs: one pass, where comparing every entry with every title
// would take seconds at the design maximum. The counts are those of the plain scan.
template <typename Records, typename Field>
QHash<QString, int> occurrences(const Records& records, Field field)
{
    QHash<QString, int> out;
    for (const auto& r : records)
        ++out[r.*field];
    return out;
}

std::vector<int> countsOf(const QStringList& names, const QHash<QString, int>& occurring)
{
    std::vector<int> out;
    out.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names)
        out.push_back(occurring.value(name));
    return out;
}

} // namespace

std::vector<int> titleCounts(const QStringList& entries, const TitleTable& titles)
{
    return countsOf(entries, occurrences(titles.records(), &TitleRecord::artist));
}

int SongArtists::add(const TrackTable& tracks)
{
    int added = 0;
    for (const TrackRecord& t : tracks.records()) {
        if (!m_known.contains(t.artist)) {
            m_known.insert(t.artist);
            m_names.append(t.artist);
            ++added;
        }
    }
    return added;
}

std::vector<int> songCounts(const QStringList& artists, const TrackTable& tracks)
{
    return countsOf(artists, occurrences(tracks.records(), &TrackRecord::artist));
}

std::vector<QStringList> rankingRows(const QStringList& names, const std::vector<int>& counts)
{
    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        rows.push_back({QString(), names[i], QString::number(counts[static_cast<size_t>(i)])});
    return rows;
}

bool moveBeforeTarget(QStringList& list, int from, int to)
{
    const int n = static_cast<int>(list.size());
    if (from < 0 || from >= n || to < 0 || to >= n || to == from || to == from + 1)
        return false;
    // Taking the entry out shifts the ones after it up by one.
    const QString moved = list.takeAt(from);
    list.insert(from < to ? to - 1 : to, moved);
    return true;
}

int pageCount(int titleCount)
{
    return titleCount <= 0 ? 0 : (titleCount + kSlotsPerPage - 1) / kSlotsPerPage;
}

int firstOnPage(int page)
{
    return (page - 1) * kSlotsPerPage + 1;
}

int lastOnPage(int page)
{
    return page * kSlotsPerPage;
}

int titleInSlot(int page, int slot)
{
    return (page - 1) * kSlotsPerPage + slot;
}

} // namespace overviewrules
