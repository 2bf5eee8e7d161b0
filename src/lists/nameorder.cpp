#include "nameorder.h"

#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace listoptions {

namespace {

// The user's settings of this program, in the place the desktop keeps them.
QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"utabako"_s, u"utabako"_s);
}

const QString kReadingOrder = u"lists/readingOrder"_s;
const QString kFuzzySearch = u"lists/fuzzySearch"_s;

} // namespace

bool readingOrder()
{
    return userSettings().value(kReadingOrder, true).toBool();
}

void setReadingOrder(bool on)
{
    userSettings().setValue(kReadingOrder, on);
}

bool fuzzySearch()
{
    return userSettings().value(kFuzzySearch, true).toBool();
}

void setFuzzySearch(bool on)
{
    userSettings().setValue(kFuzzySearch, on);
}

} // namespace listoptions

NameMemo::Entry& NameMemo::entry(ReadingKind kind, const QString& name, const ReadingTable& readings)
{
    const QString reading = readings.reading(kind, name);
    Entry& e = m_entries[static_cast<int>(kind)][name];
    if (e.reading != reading) {
        e.reading = reading;
        e.key.reset();
        e.folded.reset();
    }
    return e;
}

const QByteArray& NameMemo::sortKey(ReadingKind kind, const QString& name, const ReadingTable& readings)
{
    Entry& e = entry(kind, name, readings);
    if (!e.key)
        e.key = m_keys.sortKey(name, e.reading);
    return *e.key;
}

const japanese::FoldedName& NameMemo::folded(ReadingKind kind, const QString& name, const ReadingTable& readings)
{
    Entry& e = entry(kind, name, readings);
    if (!e.folded)
        e.folded = japanese::foldName(name, e.reading);
    return *e.folded;
}

QStringList namesInUsersOrder(const QStringList& names, ReadingKind kind, NameMemo& memo, const ReadingTable& readings)
{
    if (!listoptions::readingOrder())
        return names;
    std::vector<QByteArray> keys;
    keys.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names)
        keys.push_back(memo.sortKey(kind, name, readings));
    QStringList ordered;
    ordered.reserve(names.size());
    for (const int i : japanese::orderByKeys(keys))
        ordered.append(names[i]);
    return ordered;
}

void NameMemo::prepareTitles(const std::vector<TitleRecord>& titles, const ReadingTable& readings, bool sorted)
{
    const bool order = sorted && listoptions::readingOrder();
    const bool fuzzy = listoptions::fuzzySearch();
    for (const TitleRecord& t : titles) {
        for (const auto& [kind, name] : {std::pair(ReadingKind::Title, &t.name), std::pair(ReadingKind::Artist, &t.artist)}) {
            if (order)
                sortKey(kind, *name, readings);
            if (fuzzy)
                folded(kind, *name, readings);
        }
    }
}

void NameMemo::prepareSongs(const std::vector<TrackRecord>& songs, const ReadingTable& readings, bool sorted)
{
    const bool order = sorted && listoptions::readingOrder();
    const bool fuzzy = listoptions::fuzzySearch();
    for (const TrackRecord& s : songs) {
        for (const auto& [kind, name] : {std::pair(ReadingKind::Song, &s.name), std::pair(ReadingKind::Artist, &s.artist)}) {
            if (order)
                sortKey(kind, *name, readings);
            if (fuzzy)
                folded(kind, *name, readings);
        }
    }
}

FuzzyNameQuery::FuzzyNameQuery(NameMemo& memo, const ReadingTable& readings, QStringView query,
                               japanese::FuzzyQuery::Match match)
    : m_memo(memo)
    , m_readings(readings)
    , m_query(query, match)
{
}

bool FuzzyNameQuery::matches(ReadingKind kind, const QString& name) const
{
    return m_query.matches(m_memo.folded(kind, name, m_readings));
}

bool FuzzyNameQuery::matchesText(const QString& text) const
{
    return m_query.matches({japanese::fold(text), {}});
}
