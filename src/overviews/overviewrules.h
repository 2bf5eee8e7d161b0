#pragma once

#include "store/titletable.h"
#include "store/tracktable.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// The rules of the overview screens that need no window: counting and ranking artists,
// moving a title in the fine-tuning list, and paging the picture catalogue. Counts and
// positions are plain ints, so a collection past 32,767 of anything neither wraps nor
// breaks.
namespace overviewrules {

// The columns of both ranking grids.
namespace rankcol {
constexpr int kRank = 0;
constexpr int kName = 1;
constexpr int kCount = 2;
} // namespace rankcol

// For each artist entry, the titles whose artist equals it exactly (a compilation's
// "複数" included). A title whose artist is no entry counts nowhere; an entry listed
// twice gets the full count on both rows.
std::vector<int> titleCounts(const QStringList& entries, const TitleTable& titles);

// The distinct artists of the songs, in order of first appearance, kept for the whole
// run: each opening of the ranking only adds names it has not seen yet.
class SongArtists {
public:
    // Adds the artists of tracks not yet listed; the number of names added.
    int add(const TrackTable& tracks);
    const QStringList& names() const { return m_names; }

private:
    QStringList m_names;
    QSet<QString> m_known;
};

// For each name, the songs whose artist equals it exactly.
std::vector<int> songCounts(const QStringList& artists, const TrackTable& tracks);

// The data rows of a ranking grid before its first sort: rank left empty, the name and
// its count as text, in the order of names.
std::vector<QStringList> rankingRows(const QStringList& names, const std::vector<int>& counts);

// Moves the entry at from to just before the entry at to, the one the mouse was released
// on: dragging E onto B in A B C D E F gives A E B C D F, B onto E gives A C D B E F.
// Nothing moves when to is from itself or the entry right after it, or when either is
// not an entry (a press that hit no entry); false then.
bool moveBeforeTarget(QStringList& list, int from, int to);

// The picture catalogue: fifteen titles to a page, slots 1..15, pages from 1.
constexpr int kSlotsPerPage = 15;
// The pages titleCount titles fill: 0 for none, 1 for 1..15, 2 for 16..30 ...
int pageCount(int titleCount);
// The range a page shows: the last number is not cut down to the last title.
int firstOnPage(int page);
int lastOnPage(int page);
// The title number in slot (1..15) of page.
int titleInSlot(int page, int slot);

} // namespace overviewrules
