#pragma once

#include "store/japanese.h"
#include "store/readings.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// How the lists order names and how the searches compare them, as the user chose; kept
// in the user's own settings, never in the collection's folder.
namespace listoptions {

// Names in 五十音 order, by their readings (true), or in the order of their characters
// as they are written (文字コード). On unless the user turned it off.
bool readingOrder();
void setReadingOrder(bool on);

// あいまい検索: searches that fold kana, width and letter case and also find by
// readings and romaji. On unless the user turned it off.
bool fuzzySearch();
void setFuzzySearch(bool on);

} // namespace listoptions

// The sort keys and folded forms of the collection's names, each made once per name and
// reading: a reading typed since makes the name's anew, and a sort or a search over tens
// of thousands of names then only looks them up.
class NameMemo {
public:
    // The 五十音 key of name: by its reading in readings where it has one, else by the name.
    const QByteArray& sortKey(ReadingKind kind, const QString& name, const ReadingTable& readings);
    // name and its reading (or its own kana) in the form the fuzzy search compares.
    const japanese::FoldedName& folded(ReadingKind kind, const QString& name, const ReadingTable& readings);

    // Makes ahead what the user's search, and with sorted the user's order, will ask for
    // of the titles (their names and artists) or the songs, once the screen showing them
    // is up: the first sort or search then only looks them up.
    void prepareTitles(const std::vector<TitleRecord>& titles, const ReadingTable& readings, bool sorted);
    void prepareSongs(const std::vector<TrackRecord>& songs, const ReadingTable& readings, bool sorted);

private:
    struct Entry {
        QString reading;
        std::optional<QByteArray> key;
        std::optional<japanese::FoldedName> folded;
    };
    Entry& entry(ReadingKind kind, const QString& name, const ReadingTable& readings);

    japanese::SortKeyMaker m_keys;
    QHash<QString, Entry> m_entries[3]; // by kind
};

// names in 五十音 order when the user's order is by readings, else as they are.
QStringList namesInUsersOrder(const QStringList& names, ReadingKind kind, NameMemo& memo, const ReadingTable& readings);

// A query of the fuzzy search over one kind of name: whether name matches, by its
// folded form and its reading.
class FuzzyNameQuery {
public:
    FuzzyNameQuery(NameMemo& memo, const ReadingTable& readings, QStringView query,
                   japanese::FuzzyQuery::Match match = japanese::FuzzyQuery::Match::Contains);

    bool isEmpty() const { return m_query.isEmpty(); }
    bool matches(ReadingKind kind, const QString& name) const;
    // A text with no reading of its own (a memo, a date): folded alone.
    bool matchesText(const QString& text) const;

private:
    NameMemo& m_memo;
    const ReadingTable& m_readings;
    japanese::FuzzyQuery m_query;
};
