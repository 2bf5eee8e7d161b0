#include "albumrules.h"

#include "lyrics/lyricsrules.h"
#include "store/collectionfiles.h"
#include "store/cp932.h"
#include "store/filelisting.h"
#include "store/japanese.h"
#include "store/masterlist.h"
#include "store/namerules.h"
#include "store/records.h"
#include "tracks/trackrules.h"
#include "upkeep/coverimportrules.h"
#include "upkeep/readingrules.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace albumrules {

namespace {

const QString kForbidden = u"\\/:,;*?\"<>|"_s;
const QString kFullWidth = u"＼／：，；＊？＂＜＞｜"_s;

// Tag text as a field of the collection holds it: one line, in its stored form, no
// double quote (which would end the field).
QString fieldText(const QString& tag)
{
    QString text = cp932::storedForm(tag);
    for (QChar& c : text) {
        if (isControlCharacter(c))
            c = u' ';
        else if (c == u'"')
            c = u'”';
    }
    return text.trimmed();
}

QString firstOf(const std::vector<const MusicFile*>& files, QString MusicFile::*field)
{
    for (const MusicFile* f : files) {
        if (!(f->*field).trimmed().isEmpty())
            return fieldText(f->*field);
    }
    return {};
}

// Why a title name cannot be used, as the table's last column says it.
QString nameProblem(const QString& name)
{
    const std::optional<namerules::NameRefusal> refusal = namerules::titleNameRefusal(name);
    if (!refusal)
        return {};
    switch (refusal->reason) {
    case namerules::NameRefusal::Reason::ForbiddenCharacter:
        return u"名前に使えない文字「%1」"_s.arg(refusal->character);
    case namerules::NameRefusal::Reason::Unstorable:
        return u"保存できない文字「%1」"_s.arg(refusal->character);
    case namerules::NameRefusal::Reason::ControlCharacter:
        return u"名前に制御文字"_s;
    case namerules::NameRefusal::Reason::NotOnWindows:
        return u"Windows で使えない名前"_s;
    case namerules::NameRefusal::Reason::TooLong:
        return u"名前が長すぎる"_s;
    }
    return refusal->message;
}

} // namespace

QString albumKey(const MusicFile& file)
{
    const QString album = file.album.trimmed();
    if (album.isEmpty())
        return u"\x1d"_s + file.folder;
    const QString artist = file.albumArtist.trimmed();
    return album + u'\x1f' + (artist.isEmpty() ? u"\x1e"_s + file.folder : artist);
}

QString titleDate(const QString& tagDate, const QDate& today)
{
    // A year, then perhaps a month, then perhaps a day; what follows (a time) is left.
    static const QRegularExpression date(u"^(\\d{4})(?:[-/.](\\d{1,2})(?:[-/.](\\d{1,2}))?)?(?!\\d)"_s);
    const QRegularExpressionMatch m = date.match(tagDate.trimmed());
    const int year = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (year <= 0)
        return today.toString(u"yyyy/MM/dd"_s);
    const int month = m.captured(2).toInt();
    const int day = m.captured(3).toInt();
    // As much as the tag says and holds good: no month or day is made up.
    if (QDate(year, month, day).isValid())
        return QDate(year, month, day).toString(u"yyyy/MM/dd"_s);
    if (month >= 1 && month <= 12)
        return u"%1/%2"_s.arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
    return u"%1"_s.arg(year, 4, 10, QLatin1Char('0'));
}

QString songName(const QString& tag, bool keepSlash, bool* replaced)
{
    QString name = cp932::storedForm(tag);
    for (QChar& c : name) {
        if (isControlCharacter(c)) {
            c = u' ';
            continue;
        }
        const qsizetype at = kForbidden.indexOf(c);
        if (at >= 0 && !(keepSlash && c == u'/')) {
            c = kFullWidth[at];
            if (replaced)
                *replaced = true;
        }
    }
    // Half-width blanks only, as a confirmed track list is trimmed.
    qsizetype start = 0;
    qsizetype end = name.size();
    while (start < end && name[start] == u' ')
        ++start;
    while (end > start && name[end - 1] == u' ')
        --end;
    return name.mid(start, end - start);
}

bool isVariousArtists(const QString& name)
{
    static const QStringList various{u"various artists"_s, u"various"_s, u"va"_s, u"v.a."_s, u"v/a"_s,
                                     u"オムニバス"_s, u"ヴァリアス・アーティスト"_s, u"複数"_s};
    return various.contains(name.trimmed(), Qt::CaseInsensitive);
}

QString coverExtension(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return u".jpg"_s;
    if (bytes.startsWith("GIF8"))
        return u".gif"_s;
    if (bytes.startsWith("BM"))
        return u".bmp"_s;
    return {};
}

QStringList PlannedTitle::lines() const
{
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(tracks.size()));
    for (const Track& t : tracks)
        lines.append(compilation() ? t.song + u'/' + t.artist : t.song);
    return lines;
}

void standIn(Track* track, int number, QStringList* notes)
{
    for (QString* text : {&track->song, &track->artist}) {
        const QString tagged = *text;
        QString out;
        for (qsizetype i = 0; i < tagged.size();) {
            const qsizetype length = tagged[i].isHighSurrogate() && i + 1 < tagged.size() ? 2 : 1;
            const QString c = tagged.mid(i, length);
            i += length;
            if (cp932::firstUnstorable(c).isEmpty()) {
                out += c;
                continue;
            }
            out += QChar(kStandIn);
            notes->append(u"%1曲目「%2」の「%3」（U+%4）"_s.arg(number).arg(tagged, c,
                                                                       QString::number(c.toUcs4().value(0), 16).toUpper()));
        }
        *text = out;
    }
}

namespace {

// The reading a sort tag of the album's files gives name: the first such tag of a file
// whose field (album, artist…) is that name.
QString readingOfTags(const std::vector<const MusicFile*>& album, QString MusicFile::*field, QString MusicFile::*sort,
                      const QString& name)
{
    for (const MusicFile* f : album) {
        if (fieldText(f->*field) != name)
            continue;
        if (const std::optional<QString> reading = japanese::readingFromSortTag(name, f->*sort))
            return *reading;
    }
    return {};
}

} // namespace

std::vector<PlannedTitle> planTitles(const std::vector<MusicFile>& files, const QSet<QString>& covered,
                                     const TitleTable& titles, const QDate& today)
{
    // The albums in the order they are first met.
    QStringList keys;
    QHash<QString, std::vector<const MusicFile*>> albums;
    for (const MusicFile& f : files) {
        const QString key = albumKey(f);
        auto& album = albums[key];
        if (album.empty())
            keys.append(key);
        album.push_back(&f);
    }

    std::vector<PlannedTitle> planned;
    QSet<QString> namesTaken; // by albums of this run, in the letter case files ignore
    QHash<QString, QString> firstMet; // an album's name, artist and songs: its title's name
    for (const QString& key : keys) {
        std::vector<const MusicFile*> album = albums.value(key);
        const auto number = [](int n) { return n > 0 ? n : INT_MAX; };
        std::stable_sort(album.begin(), album.end(), [&](const MusicFile* a, const MusicFile* b) {
            return std::tuple(std::max(a->disc, 1), number(a->track), a->fileName)
                < std::tuple(std::max(b->disc, 1), number(b->track), b->fileName);
        });

        PlannedTitle t;
        t.key = key;
        t.folder = album.front()->folder;
        t.hasCover = covered.contains(key);
        // The name as tagged (in its stored form): what the naming rules refuse is told.
        QString name;
        for (const MusicFile* f : album) {
            if (name.isEmpty())
                name = cp932::storedForm(f->album.trimmed());
        }
        if (name.isEmpty())
            name = cp932::storedForm(QFileInfo(t.folder).fileName());
        const QString taggedName = name;

        // The title's artist: the album artist, or the one artist of every track.
        QString artist = firstOf(album, &MusicFile::albumArtist);
        QSet<QString> trackArtists;
        for (const MusicFile* f : album)
            trackArtists.insert(fieldText(f->artist));
        if (artist.isEmpty() || (isVariousArtists(artist) && trackArtists.size() > 1)) {
            if (trackArtists.size() > 1)
                artist = collection::kCompilationArtist;
            else
                artist = *trackArtists.cbegin();
        }
        if (artist.isEmpty())
            artist = collection::kNotEntered;
        const bool compilation = artist == collection::kCompilationArtist;

        bool replaced = false;
        for (const MusicFile* f : album) {
            Track track;
            const QString title = f->title.trimmed().isEmpty() ? QFileInfo(f->fileName).completeBaseName() : f->title;
            track.song = songName(title, false, &replaced);
            track.artist = compilation ? songName(f->artist, true, &replaced) : artist;
            if (track.artist.isEmpty())
                track.artist = collection::kNotEntered;
            standIn(&track, static_cast<int>(t.tracks.size()) + 1, &t.standIns);
            track.lyrics = f->lyrics;
            if (const auto reading = japanese::readingFromSortTag(track.song, f->titleSort))
                track.reading = *reading;
            track.lyrics.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
            if (!track.lyrics.trimmed().isEmpty()) {
                ++t.lyricsCount;
                if (const QString bad = cp932::firstUnstorable(track.lyrics); !bad.isEmpty())
                    t.problems.append(u"歌詞に保存できない文字「%1」"_s.arg(bad));
                else if (namerules::lyricsNameRefusal(track.song, track.artist))
                    t.problems.append(u"歌詞のファイル名が長すぎる"_s);
            } else {
                track.lyrics.clear();
            }
            t.tracks.push_back(std::move(track));
        }
        if (replaced)
            t.notes.append(u"曲名の使えない文字を全角にしました"_s);

        // The same album met again (another rip of it in another folder: the same name,
        // artist and songs) is shown under the first one's name and not made.
        QString same = name + u'\x1f' + artist;
        for (const Track& track : t.tracks)
            same += u'\x1f' + track.song + u'/' + track.artist;
        const auto first = firstMet.constFind(same);
        if (first != firstMet.cend()) {
            name = *first;
            t.duplicateOf = *first;
        } else {
            // An album of a name already met in this run, or of a title of the
            // collection by another artist, takes its artist after the name.
            const int existing = titles.findIgnoringCase(name);
            if (namesTaken.contains(foldLetterCase(name)) || (existing > 0 && titles.at(existing).artist != artist)) {
                const QString base = name;
                name = base + u"（%1）"_s.arg(artist);
                for (int n = 2; namesTaken.contains(foldLetterCase(name)); ++n)
                    name = base + u"（%1）%2"_s.arg(artist, QString::number(n));
            }
            namesTaken.insert(foldLetterCase(name));
            firstMet.insert(same, name);
        }

        if (t.duplicateOf.isEmpty() && name == taggedName)
            t.reading = readingOfTags(album, &MusicFile::album, &MusicFile::albumSort, name);
        if (readingrules::isArtistName(artist)) {
            t.artistReading = readingOfTags(album, &MusicFile::albumArtist, &MusicFile::albumArtistSort, artist);
            if (t.artistReading.isEmpty())
                t.artistReading = readingOfTags(album, &MusicFile::artist, &MusicFile::artistSort, artist);
        }

        t.record = TitleRecord{name,
                               artist,
                               firstOf(album, &MusicFile::genre),
                               collection::kUnrated,
                               collection::kNotEntered,
                               titleDate(firstOf(album, &MusicFile::date), today),
                               {}};
        if (t.record.genre.isEmpty())
            t.record.genre = collection::kNotEntered;

        if (const QString problem = nameProblem(name); !problem.isEmpty())
            t.problems.prepend(problem);
        else if (titles.findIgnoringCase(name) > 0)
            t.problems.prepend(u"登録済み"_s);
        else if (t.hasCover && coverimportrules::isPlaceholder(name + u".jpg"_s))
            t.problems.append(u"画像の名前が NOPIC.JPG になる"_s);
        for (const QString& text : {t.record.artist, t.record.genre, t.record.date, t.lines().join(u'\n')}) {
            if (const QString bad = cp932::firstUnstorable(text); !bad.isEmpty() && t.problems.isEmpty()) {
                t.problems.append(u"保存できない文字「%1」"_s.arg(bad));
                break;
            }
        }
        if (!t.duplicateOf.isEmpty())
            t.problems.prepend(u"重複"_s);
        planned.push_back(std::move(t));
    }
    return planned;
}

QStringList ownFiles(const PlannedTitle& title, const QByteArray& cover)
{
    QStringList names{files::trackListFile(title.record.name)};
    if (!cover.isEmpty())
        names.append(title.record.name + coverExtension(cover));
    return names;
}

namespace {

// What stands under name in the folder, looked at without following a link: whether
// anything does, and whether it is a link or no file.
struct Entry {
    bool present = false;
    bool link = false;
    bool file = false;
};
Entry entryOf(const DataFolder& folder, const QString& name)
{
    const QFileInfo info(folder.filePath(name));
    return {info.exists() || info.isSymLink(), info.isSymLink(), info.isFile()};
}

// The songs a title adds to the track data, as a confirmed list adds them.
std::vector<TrackRecord> songsOf(const PlannedTitle& title, const TrackTable& tracks)
{
    const bool compilation = title.compilation();
    return trackrules::newTrackRecords(trackrules::tracksOfLines(title.lines(), compilation), compilation,
                                       title.record.artist, tracks);
}

QString number(int n)
{
    return QLocale(QLocale::Japanese).toString(n);
}

} // namespace

std::vector<TitleCheck> checkTitles(const DataFolder& folder, const TitleTable& titles, const TrackTable& tracks,
                                    const std::vector<const PlannedTitle*>& planned,
                                    const std::vector<QByteArray>& covers)
{
    std::vector<TitleCheck> checks(planned.size());
    QSet<QString> names; // of the titles before, in the letter case files ignore
    QSet<std::pair<QString, QString>> songs;
    int titleCount = titles.count();
    int songCount = tracks.count();
    for (size_t i = 0; i < planned.size(); ++i) {
        const PlannedTitle& title = *planned[i];
        TitleCheck& check = checks[i];
        const QString& name = title.record.name;
        const auto refuse = [&check](const QString& why) {
            if (check.refusal.isEmpty())
                check.refusal = why;
        };
        if (titles.findIgnoringCase(name) > 0 || names.contains(foldLetterCase(name)))
            refuse(u"登録済み"_s);
        for (const QString& text : {name, title.record.artist, title.record.genre, title.record.date, title.lines().join(u'\n')}) {
            if (const QString bad = cp932::firstUnstorable(text); !bad.isEmpty())
                refuse(u"保存できない文字「%1」"_s.arg(bad));
        }
        QStringList written = ownFiles(title, covers[i]);
        const qsizetype own = written.size(); // the lyrics files after them are kept when there
        for (const Track& t : title.tracks) {
            if (!t.lyrics.isEmpty())
                written.append(namerules::lyricsFileName(t.song, t.artist));
        }
        for (qsizetype n = 0; n < written.size(); ++n) {
            const Entry entry = entryOf(folder, written[n]);
            const QString onDisk = QFileInfo(folder.filePath(written[n])).fileName();
            if (entry.link)
                refuse(u"「%1」が別の場所を指すリンクのため取り込まない"_s.arg(onDisk));
            else if (entry.present && !entry.file && n < own)
                refuse(u"「%1」という名前のファイルでないもの（フォルダなど）があるため取り込まない"_s.arg(onDisk));
            else if (entry.present && n < own)
                check.replaced.append(onDisk);
        }
        if (static_cast<qsizetype>(title.tracks.size()) > kMostRecords)
            refuse(u"曲数が上限の %1 曲を超えるため取り込まない"_s.arg(number(kMostRecords)));
        if (titleCount >= kMostRecords)
            refuse(u"タイトル数が上限の %1 件を超えるため取り込まない"_s.arg(number(kMostRecords)));
        QSet<std::pair<QString, QString>> adds;
        for (const TrackRecord& song : songsOf(title, tracks)) {
            if (!songs.contains({song.name, song.artist}))
                adds.insert({song.name, song.artist});
        }
        if (songCount + adds.size() > kMostRecords)
            refuse(u"曲が上限の %1 曲を超えるため取り込まない"_s.arg(number(kMostRecords)));
        if (!check.ok())
            continue;
        names.insert(foldLetterCase(name));
        songs += adds;
        songCount += static_cast<int>(adds.size());
        ++titleCount;
    }
    return checks;
}

WriteResult writeTitles(DataFolder& folder, const TitleTable& loaded, const TrackTable& tracks,
                        QSet<std::pair<QString, QString>>* added, const std::vector<const PlannedTitle*>& titles,
                        const std::vector<QByteArray>& covers)
{
    std::vector<DataFolder::Change> changes;
    std::vector<TitleRecord> records;
    std::vector<TrackRecord> songs;
    QSet<std::pair<QString, QString>> adding;
    QSet<QString> lyricsFiles;
    for (size_t i = 0; i < titles.size(); ++i) {
        const PlannedTitle& title = *titles[i];
        const QString& name = title.record.name;
        records.push_back(title.record);
        const QStringList lines = title.lines();
        changes.push_back({files::trackListFile(name), joinLines(lines), DataFolder::Change::Mode::Rewrite});

        // The songs new to the track data, as a confirmed list adds them.
        const bool compilation = title.compilation();
        for (TrackRecord& song : trackrules::newTrackRecords(trackrules::tracksOfLines(lines, compilation), compilation,
                                                             title.record.artist, tracks)) {
            const std::pair<QString, QString> pair{song.name, song.artist};
            if (!added->contains(pair) && !adding.contains(pair)) {
                adding.insert(pair);
                songs.push_back(std::move(song));
            }
        }
        for (const Track& t : title.tracks) {
            const QString file = namerules::lyricsFileName(t.song, t.artist);
            if (t.lyrics.isEmpty() || entryOf(folder, file).present || lyricsFiles.contains(foldLetterCase(file)))
                continue;
            lyricsFiles.insert(foldLetterCase(file));
            changes.push_back({file, lyricsrules::fileTextOfLyrics(t.lyrics), DataFolder::Change::Mode::Rewrite});
        }
        if (!covers[i].isEmpty())
            changes.push_back({name + coverExtension(covers[i]), {}, DataFolder::Change::Mode::Rewrite, covers[i]});
    }

    // The artists and genres new to their masters, as a title typed in adds them.
    for (const auto& [master, field] : {std::pair{Master::Artist, &TitleRecord::artist}, {Master::TitleGenre, &TitleRecord::genre}}) {
        const QStringList known = ReadMaster(folder, master);
        QStringList adding;
        for (const TitleRecord& record : records) {
            const QString& value = record.*field;
            if (value.isEmpty() || value == collection::kNotEntered || value == collection::kCompilationArtist
                || known.contains(value) || adding.contains(value))
                continue;
            adding.append(value);
        }
        if (!adding.isEmpty())
            changes.push_back({masterFileName(master), joinLines(adding), DataFolder::Change::Mode::Append});
    }

    WriteResult refused;
    const std::optional<DataFolder::Change> titleRecords = TitleAddition(folder, loaded, records, &refused);
    if (!titleRecords)
        return refused;
    changes.push_back(*titleRecords);
    if (!songs.empty()) {
        const std::optional<DataFolder::Change> addition = TrackRecordsAddition(folder, tracks, songs, &refused);
        if (!addition)
            return refused;
        changes.push_back(*addition);
    }

    // The readings the sort tags gave, for names that have none yet: one typed or kept
    // before stays. The file as it stands now is what they join.
    ReadingTable readings;
    LoadReadingFile(folder, &readings);
    ReadingTable edited = readings;
    const auto give = [&edited](ReadingKind kind, const QString& name, const QString& reading) {
        if (!reading.isEmpty() && edited.reading(kind, name).isEmpty())
            edited.set(kind, name, reading);
    };
    for (const PlannedTitle* title : titles) {
        give(ReadingKind::Title, title->record.name, title->reading);
        give(ReadingKind::Artist, title->record.artist, title->artistReading);
        for (const Track& t : title->tracks)
            give(ReadingKind::Song, t.song, t.reading);
    }
    if (edited.records() != readings.records()) {
        std::vector<TitleRecord> allTitles = loaded.records();
        allTitles.insert(allTitles.end(), records.begin(), records.end());
        std::vector<TrackRecord> allSongs = tracks.records();
        allSongs.insert(allSongs.end(), songs.begin(), songs.end());
        ReadingTable written;
        if (auto readingFile = readingrules::readingsChange(readings, std::move(edited), allTitles, allSongs, &refused, &written))
            changes.push_back(std::move(*readingFile));
        else if (!refused.ok())
            return refused;
    }
    const WriteResult written = folder.write(changes);
    if (written.ok())
        *added += adding;
    return written;
}

} // namespace albumrules
