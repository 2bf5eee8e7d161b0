#include "searchrules.h"

#include "lists/listrules.h"
#include "lists/nameorder.h"
#include "lyrics/lyricsrules.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace searchrules {

namespace {

bool matches(const QString& field, Match match, const QString& value)
{
    return match == Match::Equals ? field == value : field.contains(value);
}

const QString& fieldOf(const TitleRecord& t, TitleField field)
{
    switch (field) {
    case TitleField::Name: return t.name;
    case TitleField::Artist: return t.artist;
    case TitleField::Genre: return t.genre;
    case TitleField::Rating: return t.rating;
    case TitleField::Media: return t.media;
    case TitleField::Date: return t.date;
    case TitleField::Memo: break;
    }
    return t.memo;
}

const QString& fieldOf(const TrackRecord& s, SongField field)
{
    switch (field) {
    case SongField::Name: return s.name;
    case SongField::Artist: return s.artist;
    case SongField::Genre: return s.genre;
    case SongField::Lyricist: return s.lyricist;
    case SongField::Composer: return s.composer;
    case SongField::Arranger: break;
    }
    return s.arranger;
}

} // namespace

QString resultCount(int found)
{
    return u"検索件数　%1件"_s.arg(found);
}

QStringList titlesWhere(const TitleTable& titles, TitleField field, Match match, const QString& value)
{
    QStringList names;
    for (const TitleRecord& t : titles.records()) {
        if (matches(fieldOf(t, field), match, value))
            names.append(t.name);
    }
    return names;
}

QStringList titlesFound(const TitleTable& titles, TitleField field, const FuzzyNameQuery& query)
{
    QStringList names;
    for (const TitleRecord& t : titles.records()) {
        const QString& value = fieldOf(t, field);
        const bool found = field == TitleField::Name ? query.matches(ReadingKind::Title, value)
            : field == TitleField::Artist            ? query.matches(ReadingKind::Artist, value)
                                                     : query.matchesText(value);
        if (found)
            names.append(t.name);
    }
    return names;
}

QStringList foundSongRow(const QString& song, const QString& artist, bool hasLyrics)
{
    return {song, hasLyrics ? u"○"_s : QString(), artist};
}

std::vector<QStringList> songsWhere(const TrackTable& tracks, SongField field, Match match, const QString& value)
{
    std::vector<QStringList> rows;
    for (const TrackRecord& s : tracks.records()) {
        if (matches(fieldOf(s, field), match, value))
            rows.push_back(foundSongRow(s.name, s.artist));
    }
    return rows;
}

std::vector<QStringList> songsFound(const TrackTable& tracks, SongField field, const FuzzyNameQuery& query)
{
    std::vector<QStringList> rows;
    for (const TrackRecord& s : tracks.records()) {
        const QString& value = fieldOf(s, field);
        const bool found = field == SongField::Name ? query.matches(ReadingKind::Song, value)
            : field == SongField::Artist            ? query.matches(ReadingKind::Artist, value)
                                                    : query.matchesText(value);
        if (found)
            rows.push_back(foundSongRow(s.name, s.artist));
    }
    return rows;
}

void MarkSongsWithLyrics(std::vector<QStringList>& rows, const FileListing& lyrics)
{
    for (QStringList& row : rows) {
        if (lyrics.contains(namerules::lyricsFileName(row[foundcol::kName], row[foundcol::kArtist])))
            row[foundcol::kLyrics] = u"○"_s;
    }
}

std::vector<QStringList> songsByLyrics(const TrackTable& tracks, const FileListing& lyrics, bool present)
{
    std::vector<QStringList> rows;
    for (const TrackRecord& s : tracks.records()) {
        if (lyrics.contains(namerules::lyricsFileName(s.name, s.artist)) == present)
            rows.push_back(foundSongRow(s.name, s.artist, present));
    }
    return rows;
}

bool lyricsHold(QStringView fileText, QStringView key)
{
    // A key holding a line break could only be found across lines; any other key is
    // on a line of the text wherever the text contains it.
    if (key.isEmpty() || key.contains(u'\n') || key.contains(u'\r'))
        return false;
    return fileText.contains(key);
}

std::vector<QStringList> songsWithLyricsHolding(DataFolder& folder, const FileListing& lyrics,
                                                const TrackTable& tracks, const QString& key)
{
    const QStringList& names = lyrics.names();
    const std::vector<char> holding = folder.textsPassing(names, [&key](QStringView text) { return lyricsHold(text, key); });
    std::vector<QStringList> rows;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!holding[static_cast<size_t>(i)])
            continue;
        if (const auto song = lyricsrules::songOfLyricsFile(names[i], tracks))
            rows.push_back(foundSongRow(song->first, song->second, true));
    }
    return rows;
}

QStringList titlesHoldingSong(DataFolder& folder, listrules::TrackListIndex& lists, const TitleTable& titles,
                              const QString& song, const QString& artist)
{
    QStringList names;
    QSet<QString> listed;
    for (const QString& fileName : lists.filesMayHold(song)) {
        const QString name = listrules::titleOfTrackListFile(fileName);
        int k = titles.find(name);
        if (k == 0)
            k = titles.findIgnoringCase(name);
        // A list left behind by a title that is gone has no title to open.
        if (k == 0)
            continue;
        const TitleRecord& title = titles.at(k);
        if (!listed.contains(title.name) && listrules::trackListFileHolds(folder, fileName, title.artist, song, artist)) {
            names.append(title.name);
            listed.insert(title.name);
        }
    }
    return names;
}

} // namespace searchrules
