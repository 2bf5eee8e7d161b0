#include "musictags.h"

#include "store/cp932.h"
#include "store/regularfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <aifffile.h>
#include <audioproperties.h>
#include <attachedpictureframe.h>
#include <fileref.h>
#include <flacfile.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <tfilestream.h>
#include <tpropertymap.h>
#include <vorbisfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace musictags {

namespace {

const QStringList kExtensions{u"mp3"_s, u"flac"_s, u"ogg"_s, u"oga"_s, u"opus"_s, u"m4a"_s,
                              u"mp4"_s, u"wav"_s, u"aif"_s, u"aiff"_s};
// Front cover, as ID3 and FLAC number picture kinds.
constexpr int kFrontCover = 3;

QString qtText(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true));
}

QString property(const TagLib::PropertyMap& map, const char* key)
{
    const auto found = map.find(key);
    if (found == map.end() || found->second.isEmpty())
        return {};
    return qtText(found->second.front());
}

// A field an ID3 tag stores as Latin-1, up to its first zero byte, read as
// tagTextOfLatin1 reads it. Only fields stored so come here: a UTF-8 or UTF-16 frame
// is never guessed at.
TagLib::String fromLatin1Field(const TagLib::ByteVector& data)
{
    const auto size = static_cast<qsizetype>(qstrnlen(data.data(), data.size()));
    const QByteArray utf8 = tagTextOfLatin1(QByteArrayView(data.data(), size)).toUtf8();
    return TagLib::String(utf8.constData(), TagLib::String::UTF8);
}

class Id3v2Latin1Fields final : public TagLib::ID3v2::Latin1StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override { return fromLatin1Field(data); }
};

class Id3v1Fields final : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        return fromLatin1Field(data).stripWhiteSpace();
    }
};

// TagLib reads every ID3 Latin-1 field through these from the first file on.
void readLatin1FieldsAsFound()
{
    static const Id3v2Latin1Fields id3v2;
    static const Id3v1Fields id3v1;
    static const bool installed = [] {
        TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        return true;
    }();
    Q_UNUSED(installed);
}

// "3" and "3/12" give 3.
int leadingNumber(const QString& text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end].isDigit())
        ++end;
    return text.left(end).toInt();
}

QByteArray bytesOf(const TagLib::ByteVector& v)
{
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

QByteArray id3Cover(TagLib::ID3v2::Tag* tag)
{
    if (!tag)
        return {};
    QByteArray first;
    for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
        const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (!picture)
            continue;
        if (picture->type() == kFrontCover)
            return bytesOf(picture->picture());
        if (first.isEmpty())
            first = bytesOf(picture->picture());
    }
    return first;
}

QByteArray flacCover(const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    QByteArray first;
    for (const TagLib::FLAC::Picture* picture : pictures) {
        if (picture->type() == kFrontCover)
            return bytesOf(picture->data());
        if (first.isEmpty())
            first = bytesOf(picture->data());
    }
    return first;
}

QByteArray embeddedCover(TagLib::File* file)
{
    if (auto* mp3 = dynamic_cast<TagLib::MPEG::File*>(file))
        return id3Cover(mp3->ID3v2Tag(false));
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        QByteArray cover = flacCover(flac->pictureList());
        if (cover.isEmpty() && flac->xiphComment(false))
            cover = flacCover(flac->xiphComment(false)->pictureList());
        return cover;
    }
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
        return vorbis->tag() ? flacCover(vorbis->tag()->pictureList()) : QByteArray();
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
        return opus->tag() ? flacCover(opus->tag()->pictureList()) : QByteArray();
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (!mp4->tag() || !mp4->tag()->contains("covr"))
            return {};
        const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
        return covers.isEmpty() ? QByteArray() : bytesOf(covers.front().data());
    }
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return wav->hasID3v2Tag() ? id3Cover(wav->ID3v2Tag()) : QByteArray();
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return aiff->hasID3v2Tag() ? id3Cover(aiff->tag()) : QByteArray();
    return {};
}

bool isAsciiLetter(unsigned char b)
{
    return (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isKanaOrKanji(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3040 && u <= 0x30FF) || u == 0x3005 || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF)
        || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF66 && u <= 0xFF9F);
}

// Whether the Shift-JIS reading of bytes holds a two-byte character that is more
// likely a Windows-1252 punctuation byte with the ASCII letter after it ("Don’t" read
// as "Don稚"): its second byte is an ASCII letter, and it stands alone among ASCII
// text, touching a letter. A Japanese word's characters stand beside each other; a
// lone kanji after a blank ("X JAPAN 紅") touches no letter.
bool hasLonePair(QByteArrayView bytes)
{
    struct Unit {
        bool ascii = true;
        bool letter = false;
        bool pairWithLetter = false;
    };
    std::vector<Unit> units;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(b) && i + 1 < bytes.size()) {
            units.push_back({false, false, isAsciiLetter(static_cast<unsigned char>(bytes[++i]))});
        } else {
            units.push_back({b < 0x80, b < 0x80 && isAsciiLetter(b), false});
        }
    }
    for (size_t k = 0; k < units.size(); ++k) {
        const Unit before = k > 0 ? units[k - 1] : Unit{};
        const Unit after = k + 1 < units.size() ? units[k + 1] : Unit{};
        if (units[k].pairWithLetter && before.ascii && after.ascii && (before.letter || after.letter))
            return true;
    }
    return false;
}

// Windows-1252, the Latin-1 of Windows: its curly quotes, dashes, ellipsis and euro
// sign at 0x80-0x9F; the five bytes it leaves undefined are read as Latin-1 reads them.
QString fromWindows1252(QByteArrayView bytes)
{
    static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text = QString::fromLatin1(bytes.data(), bytes.size());
    for (QChar& c : text) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(kHigh[c.unicode() - 0x80]);
    }
    return text;
}

// No tag is larger: a read of more in one go comes from a file that only claims so
// much (a sparse file, a broken header), and is refused rather than made.
constexpr unsigned long kLargestRead = 128UL * 1024 * 1024;

// A music file as TagLib reads it: read-only, on the one handle the scan opened (so
// the file looked at is the file read, whatever is put under its name meanwhile),
// ended as soon as the scan is stopped.
class ScanStream final : public TagLib::FileStream {
public:
#ifdef Q_OS_UNIX
    ScanStream(int handle, const QString& path, const std::function<bool()>& stop)
        : FileStream(handle, true)
#else
    ScanStream(const QString& path, const std::function<bool()>& stop)
        : FileStream(reinterpret_cast<const wchar_t*>(path.utf16()), true)
#endif
        , m_path(path)
        , m_encoded(QFile::encodeName(path))
        , m_stop(stop)
    {
    }

    // The name TagLib tells the file's kind by, as when it opens the file itself.
    TagLib::FileName name() const override
    {
#ifdef Q_OS_WIN
        return reinterpret_cast<const wchar_t*>(m_path.utf16());
#else
        return m_encoded.constData();
#endif
    }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        if (length > kLargestRead || (m_stop && m_stop()))
            return {};
        return FileStream::readBlock(length);
    }

private:
    QString m_path;
    QByteArray m_encoded;
    std::function<bool()> m_stop;
};

#ifdef Q_OS_UNIX
// What stands under a name in place of a regular file, as the panel says it.
QString notRegular(mode_t mode)
{
    if (S_ISDIR(mode))
        return u"フォルダです"_s;
    if (S_ISFIFO(mode))
        return u"名前付きパイプで、普通のファイルではありません"_s;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return u"デバイスで、普通のファイルではありません"_s;
    if (S_ISSOCK(mode))
        return u"ソケットで、普通のファイルではありません"_s;
    return u"普通のファイルではありません"_s;
}

QString reasonOfError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return u"読む権限がありません"_s;
    case ENOENT:
    case ENOTDIR:
        return u"ファイルがなくなりました"_s;
    case ELOOP:
        return u"リンクが輪になっています"_s;
    default:
        return qt_error_string(error);
    }
}
#endif

// Why the entry, which is neither a folder nor a regular file, cannot be read.
QString notRegular(const QFileInfo& entry)
{
    if (entry.isSymLink() && !entry.exists())
        return u"リンク先がありません"_s;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(entry.absoluteFilePath()).constData(), &st) != 0)
        return reasonOfError(errno);
    return notRegular(st.st_mode);
#else
    return u"普通のファイルではありません"_s;
#endif
}

} // namespace

bool isMusicFileName(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= 0 && kExtensions.contains(fileName.mid(dot + 1).toString(), Qt::CaseInsensitive);
}

QString tagTextOfLatin1(QByteArrayView bytes)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const auto letter = [&](qsizetype i) { return i >= 0 && i < bytes.size() && isAsciiLetter(at(i)); };
    // Shift-JIS shows itself by a byte Latin-1 text never holds (0x80-0x9F: the lead of
    // kana and most kanji, and Windows-1252's punctuation), or by a run of two or more
    // high bytes standing apart from ASCII letters (half-width katakana, rarer kanji).
    // Accented letters inside a word ("Canção") stand beside ASCII letters.
    bool c1 = false;
    bool highRun = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        c1 = c1 || (at(i) >= 0x80 && at(i) <= 0x9F);
        if (at(i) < 0xA0)
            continue;
        qsizetype end = i;
        while (end < bytes.size() && at(end) >= 0xA0)
            ++end;
        highRun = highRun || (end - i >= 2 && !letter(i - 1) && !letter(end));
        i = end - 1;
    }
    if (!(c1 || highRun))
        return fromWindows1252(bytes);
    // A field an ID3v1 tag cut inside its last character: the text before it.
    QByteArrayView japanese = bytes;
    qsizetype bad = -1;
    QString text = cp932::decode(japanese, &bad);
    if (bad == bytes.size() - 1 && isLeadByte(at(bad))) {
        japanese = bytes.first(bad);
        text = cp932::decode(japanese, &bad);
    }
    // Private-use characters are the user-defined area of CP932: no tag means those.
    const bool whole = bad < 0 && std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF;
    });
    const bool readsAsJapanese = whole && std::any_of(text.cbegin(), text.cend(), isKanaOrKanji);
    return readsAsJapanese && !hasLonePair(japanese) ? text : fromWindows1252(bytes);
}

std::optional<MusicFile> readMusicFile(const QString& path, const std::function<bool(const MusicFile&)>& wantCover,
                                       QString* reason, const std::function<bool()>& stop)
{
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = stop && stop() ? QString() : why;
        return std::nullopt;
    };
    readLatin1FieldsAsFound();
#ifdef Q_OS_UNIX
    // Opened without waiting: a FIFO put under the name is never waited on.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (handle < 0)
        return fail(reasonOfError(errno));
    struct stat opened {};
    if (::fstat(handle, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const QString why = S_ISREG(opened.st_mode) || opened.st_mode == 0 ? reasonOfError(errno) : notRegular(opened.st_mode);
        ::close(handle);
        return fail(why);
    }
    ScanStream stream(handle, path, stop);
    if (!stream.isOpen()) {
        ::close(handle);
        return fail(u"開けません"_s);
    }
#else
    if (!QFileInfo(path).isFile())
        return fail(u"普通のファイルではありません"_s);
    ScanStream stream(path, stop);
    if (!stream.isOpen())
        return fail(u"開けません"_s);
#endif
    const TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
    if (ref.isNull() || !ref.file() || !ref.file()->isValid())
        return fail(u"音楽ファイルとして読めません"_s);
    TagLib::File* file = ref.file();
    const TagLib::PropertyMap map = file->properties();
    const QFileInfo info(path);
    MusicFile m;
    m.path = path;
    m.folder = info.absolutePath();
    m.fileName = info.fileName();
    m.album = property(map, "ALBUM");
    m.albumArtist = property(map, "ALBUMARTIST");
    m.artist = property(map, "ARTIST");
    m.title = property(map, "TITLE");
    m.genre = property(map, "GENRE");
    m.date = property(map, "DATE");
    m.lyrics = property(map, "LYRICS");
    if (m.lyrics.isEmpty())
        m.lyrics = property(map, "UNSYNCEDLYRICS");
    m.albumSort = property(map, "ALBUMSORT");
    m.albumArtistSort = property(map, "ALBUMARTISTSORT");
    m.artistSort = property(map, "ARTISTSORT");
    m.titleSort = property(map, "TITLESORT");
    m.disc = leadingNumber(property(map, "DISCNUMBER"));
    m.track = leadingNumber(property(map, "TRACKNUMBER"));
    // TagLib takes any bytes for an MP3 or a WAV: without a sound of any length and
    // without a tag naming it, the file is not music.
    const TagLib::AudioProperties* audio = ref.audioProperties();
    if ((!audio || audio->lengthInMilliseconds() <= 0)
        && (m.album + m.albumArtist + m.artist + m.title).trimmed().isEmpty())
        return fail(u"音声もタグもありません（音楽ファイルでないか、途中で切れています）"_s);
    if (wantCover && wantCover(m))
        m.cover = embeddedCover(file);
    if (stop && stop())
        return fail({});
    return m;
}

QStringList musicFilesBelow(const QString& folder, const std::function<bool(const QString&)>& goOn,
                            std::vector<Unreadable>* unreadable)
{
    const auto unread = [unreadable](const QString& path, const QString& why) {
        if (unreadable)
            unreadable->push_back({path, why});
    };
    QStringList found;
    // Each folder by where it really is, so that one reached again through a link (a
    // link back up the tree, two links to one folder) is not read again.
    QSet<QString> met{QFileInfo(folder).canonicalFilePath()};
    QStringList folders{folder};
    while (!folders.isEmpty()) {
        const QString current = folders.takeFirst();
        if (!goOn(current))
            break;
        const QDir dir(current);
        if (!dir.isReadable()) {
            unread(current, u"フォルダを読む権限がありません"_s);
            continue;
        }
        QStringList below;
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
            if (entry.isDir()) {
                const QString real = entry.canonicalFilePath();
                if (!real.isEmpty() && !met.contains(real)) {
                    met.insert(real);
                    below.append(entry.absoluteFilePath());
                }
            } else if (isMusicFileName(entry.fileName())) {
                if (entry.isFile())
                    found.append(entry.absoluteFilePath());
                else
                    unread(entry.absoluteFilePath(), notRegular(entry));
            }
        }
        folders = below + folders;
    }
    return found;
}

QByteArray folderCover(const QString& folder, std::vector<Unreadable>* unreadable)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::System);
    for (const QString& wanted : QStringList{u"cover.jpg"_s, u"folder.jpg"_s, u"front.jpg"_s}) {
        for (const QString& name : names) {
            if (name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QFileInfo entry(dir.filePath(name));
            QString why;
            if (!entry.isFile())
                why = notRegular(entry);
            else if (entry.size() > kLargestCover)
                why = u"画像として大きすぎます"_s;
            // Read as the store reads pictures: a regular file only, never waited on,
            // no more than a cover's bytes.
            else if (std::optional<QByteArray> bytes = readRegularFile(entry.filePath(), &why, kLargestCover))
                return *bytes;
            else if (why.isEmpty())
                why = u"読めません"_s;
            if (unreadable)
                unreadable->push_back({entry.filePath(), why});
        }
    }
    return {};
}

} // namespace musictags
