#include "htmlcatalogue.h"

#include "store/collectionlock.h"
#include "store/regularfile.h"
#include "store/safetree.h"
#include "store/storeerror.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace htmlcatalogue {

namespace {

constexpr int kThumbnail = 120;
// Larger files are no cover (as the cover box reads them).
constexpr qint64 kLargestCover = 256LL * 1024 * 1024;

QString text(const QString& s)
{
    return s.toHtmlEscaped();
}

// Attribute values are always written in double quotes; toHtmlEscaped turns those into
// entities, and a single quote is written as one too.
QString attribute(const QString& s)
{
    QString out = s.toHtmlEscaped();
    out.replace(u"'"_s, u"&#39;"_s);
    return out;
}

QString thumbnailName(const QString& picture)
{
    return QFileInfo(picture).completeBaseName() + u"_s.jpg"_s;
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// The tail of every refusal: what stands there is as it was.
QString unchanged(bool replacing)
{
    return replacing ? u"\r\n\r\n元のカタログはそのままです。"_s : QString();
}

// A failure of the system told about the catalogue folder as the store tells its own:
// a lack of space (or quota) is a full disk, whatever file or folder it struck; the
// temporary names the catalogue is built under are never shown.
QString failureMessage(int error, const QString& shown, bool replacing)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return u"ディスクの空きが足りないため、「%1」にカタログを書き出せませんでした。"_s.arg(shown) + unchanged(replacing)
            + u"\r\n空きを作ってからもう一度操作してください。"_s;
    case EFBIG:
        return u"このディスクに書ける大きさを超えるファイルがあるため、「%1」にカタログを書き出せませんでした。"_s.arg(shown)
            + unchanged(replacing);
    case EROFS:
        return readOnlyDiskReason(u"「%1」"_s.arg(shown)) + u"。"_s + unchanged(replacing);
    case EACCES:
    case EPERM:
        return u"「%1」に書き込む権限がないため、カタログを書き出せませんでした。"_s.arg(shown) + unchanged(replacing);
    case ENAMETOOLONG:
        return u"「%1」の場所が長すぎるため、カタログを書き出せませんでした。"_s.arg(shown) + unchanged(replacing);
    case EIO:
        return u"ディスクの読み書きに失敗したため、「%1」にカタログを書き出せませんでした。"_s.arg(shown) + unchanged(replacing);
    default:
        return u"「%1」にカタログを書き出せませんでした（システムのエラー番号 %2）。"_s.arg(shown).arg(error)
            + unchanged(replacing);
    }
}

// Each step below gives 0, or the system's error number.

int makeFolder(const QString& path)
{
#ifdef Q_OS_UNIX
    return ::mkdir(nativePath(path).constData(), 0777) == 0 ? 0 : errno;
#else
    return QDir().mkdir(path) ? 0 : EIO;
#endif
}

// Makes the file, which must not be there yet (nor a link under its name), writes the
// bytes and forces them to the disk: the old catalogue goes only once the new one's
// files are all on the disk.
int writeFile(const QString& path, const QByteArray& bytes)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            error = ENOSPC; // a write that stops without a reason is a full disk
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
#else
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return EIO;
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.error() == QFileDevice::ResourceError ? ENOSPC : EIO;
    return 0;
#endif
}

int syncFolderOf(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
#else
    Q_UNUSED(folder);
    return 0;
#endif
}

int renameEntry(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    return ::rename(nativePath(from).constData(), nativePath(to).constData()) == 0 ? 0 : errno;
#else
    return QDir().rename(from, to) ? 0 : EIO;
#endif
}

// Swaps two names in one step; an error where the system or the disk cannot.
int exchangeEntries(const QString& a, const QString& b)
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, nativePath(a).constData(), AT_FDCWD, nativePath(b).constData(), RENAME_EXCHANGE) == 0
        ? 0
        : errno;
#else
    Q_UNUSED(a);
    Q_UNUSED(b);
    return ENOSYS;
#endif
}

// Whether name is one the catalogue target is built or set aside under
// (".<target>.new-<process>", ".<target>.old-<process>"); *old tells which.
bool isOwnTemporaryName(const QString& name, const QString& target, bool* old)
{
    const QString start = u"."_s + target + u"."_s;
    if (!name.startsWith(start))
        return false;
    const QString rest = name.mid(start.size());
    *old = rest.startsWith(u"old-"_s);
    if (!*old && !rest.startsWith(u"new-"_s))
        return false;
    bool ok = false;
    const qint64 pid = rest.mid(4).toLongLong(&ok);
    if (!ok || pid <= 0 || rest.mid(4) != QString::number(pid))
        return false;
    // A copy of the program still running may be building its own.
    return pid == QCoreApplication::applicationPid() || !processIsRunning(pid);
}

// Clears what an export killed or failed in this folder left: a catalogue set aside and
// not put back takes its place again when the catalogue itself is missing, and the rest
// is removed. Only real folders of names the catalogue uses are touched, never through
// a link.
void removeLeftovers(const QString& folder, const QString& target)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    bool missing = !QFileInfo::exists(dir.filePath(target)) && !QFileInfo(dir.filePath(target)).isSymLink();
    for (const QString& name : names) {
        bool old = false;
        const QString path = dir.filePath(name);
        if (!isOwnTemporaryName(name, target, &old) || QFileInfo(path).isSymLink())
            continue;
        if (old && missing && renameEntry(path, dir.filePath(target)) == 0) {
            missing = false;
            continue;
        }
        safetree::removeTree(path);
    }
}

} // namespace

QString styleSheet()
{
    return uR"(body { font-family: "Noto Sans CJK JP", "Hiragino Sans", "Yu Gothic", "Meiryo", sans-serif;
       margin: 2em auto; max-width: 60em; padding: 0 1em; color: #222; background: #fff; line-height: 1.5; }
h1 { font-size: 1.6em; border-bottom: 2px solid #456; padding-bottom: .3em; margin-bottom: .2em; }
.summary { color: #666; margin-top: 0; }
.title { display: flex; gap: 1.2em; padding: 1em 0; border-bottom: 1px solid #ccc; break-inside: avoid; }
.cover, .nocover { flex: 0 0 120px; width: 120px; height: 120px; display: flex; align-items: center;
       justify-content: center; border: 1px solid #ccc; background: #f6f6f6; }
.nocover { color: #999; font-size: .85em; }
.cover img { max-width: 120px; max-height: 120px; }
.body { flex: 1; min-width: 0; }
h2 { font-size: 1.2em; margin: 0 0 .3em; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: .1em 1em; margin: 0 0 .5em; }
dt { color: #666; }
dd { margin: 0; }
.memo { white-space: pre-wrap; }
ol { margin: 0; padding-left: 2.5em; columns: 2; column-gap: 2em; }
li .artist { color: #666; }
@media screen and (max-width: 36em) {
  body { margin: 1em auto; }
  .title { flex-wrap: wrap; gap: .6em 1em; }
  .body { flex-basis: 100%; }
  ol { columns: 1; padding-left: 2em; }
}
@media print {
  body { margin: 0; max-width: none; font-size: 10pt; }
  a { color: inherit; text-decoration: none; }
  .title { page-break-inside: avoid; }
}
)"_s;
}

QString page(const std::vector<Entry>& entries, const QStringList& pictures)
{
    QString out;
    out += u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
           "<title>ウタバコ カタログ</title>\n<link rel=\"stylesheet\" href=\"style.css\"/>\n</head>\n<body>\n"
           "<h1>ウタバコ カタログ</h1>\n"_s;
    out += u"<p class=\"summary\">タイトル %1 件</p>\n"_s.arg(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const TitleRecord& t = e.title;
        out += u"<section class=\"title\" id=\"t%1\">\n"_s.arg(i + 1);
        const QString picture = pictures.value(static_cast<qsizetype>(i));
        if (picture.isEmpty()) {
            out += u"<div class=\"nocover\">画像なし</div>\n"_s;
        } else {
            const QString folder = kPictures + u'/';
            out += u"<a class=\"cover\" href=\"%1\"><img src=\"%2\" alt=\"%3\"/></a>\n"_s.arg(
                attribute(folder + picture), attribute(folder + thumbnailName(picture)),
                attribute(u"%1 のジャケット画像"_s.arg(t.name)));
        }
        out += u"<div class=\"body\">\n<h2>%1</h2>\n<dl>\n"_s.arg(text(t.name));
        const std::pair<QString, QString> fields[] = {{u"アーティスト"_s, t.artist}, {u"ジャンル"_s, t.genre},
                                                      {u"評価"_s, t.rating},         {u"メディア"_s, t.media},
                                                      {u"日付け"_s, t.date}};
        for (const auto& [caption, value] : fields)
            out += u"<dt>%1</dt><dd>%2</dd>\n"_s.arg(caption, text(value));
        if (!t.memo.isEmpty())
            out += u"<dt>メモ</dt><dd class=\"memo\">%1</dd>\n"_s.arg(text(t.memo));
        out += u"</dl>\n"_s;
        if (!e.tracks.empty()) {
            out += u"<ol>\n"_s;
            for (const trackrules::Track& track : e.tracks) {
                out += u"<li>"_s + text(track.song);
                if (e.compilation)
                    out += u"<span class=\"artist\"> / %1</span>"_s.arg(text(track.artist));
                out += u"</li>\n"_s;
            }
            out += u"</ol>\n"_s;
        }
        out += u"</div>\n</section>\n"_s;
    }
    out += u"</body>\n</html>\n"_s;
    return out;
}

QString targetRefusal(const QString& target)
{
    const QFileInfo info(target);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (info.isSymLink() || info.isJunction())
        return u"「%1」はリンク（別の場所を指す名前）なので、カタログに置き換えられません。\r\n"
               "リンクの先にあるものは消しません。\r\n\r\n別のフォルダを選ぶか、リンクを外してください。"_s.arg(shown);
    if (info.exists() && !info.isDir())
        return u"「%1」という名前のファイルがあるため、カタログのフォルダを作れません。\r\n\r\n"
               "別のフォルダを選んでください。"_s.arg(shown);
    return {};
}

QString write(const std::vector<Entry>& entries, const QString& target, const std::function<void(int, int)>& progress)
{
    const QFileInfo targetInfo(target);
    const QDir parent = targetInfo.absoluteDir();
    const QString shown = QDir::toNativeSeparators(targetInfo.absoluteFilePath());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString building = parent.filePath(u".%1.new-%2"_s.arg(targetInfo.fileName(), pid));
    const QString aside = parent.filePath(u".%1.old-%2"_s.arg(targetInfo.fileName(), pid));

    removeLeftovers(parent.absolutePath(), targetInfo.fileName());
    // Looked at again now, whatever was seen when the user was asked.
    if (QString refused = targetRefusal(target); !refused.isEmpty())
        return refused;
    const bool replacing = QFileInfo(target).isDir();
    auto fail = [&](int error) {
        safetree::removeTree(building);
        return failureMessage(error, shown, replacing);
    };

    if (const int error = makeFolder(building))
        return fail(error);
    if (const int error = makeFolder(QDir(building).filePath(kPictures)))
        return fail(error);
    const QDir pictureFolder(QDir(building).filePath(kPictures));

    QStringList pictures;
    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total; ++i) {
        const Entry& e = entries[static_cast<size_t>(i)];
        QString name;
        if (!e.coverPath.isEmpty()) {
            // Only a regular file of a cover's size is read: a pipe under a cover's name
            // would wait for ever.
            const std::optional<QByteArray> read = readRegularFile(e.coverPath, nullptr, kLargestCover);
            QImage image;
            if (read && image.loadFromData(*read)) {
                name = u"%1.%2"_s.arg(i + 1, 4, 10, QChar(u'0')).arg(QFileInfo(e.coverPath).suffix().toLower());
                QByteArray small;
                QBuffer buffer(&small);
                buffer.open(QIODevice::WriteOnly);
                if (!image.scaled(kThumbnail, kThumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                         .save(&buffer, "JPG", 85)) {
                    safetree::removeTree(building);
                    return u"「%1」の画像を縮小できなかったため、カタログを書き出せませんでした。"_s.arg(e.title.name)
                        + unchanged(replacing);
                }
                if (const int error = writeFile(pictureFolder.filePath(name), *read))
                    return fail(error);
                if (const int error = writeFile(pictureFolder.filePath(thumbnailName(name)), small))
                    return fail(error);
            }
        }
        pictures.append(name);
        if (progress)
            progress(i + 1, total);
    }
    if (const int error = writeFile(QDir(building).filePath(kIndex), page(entries, pictures).toUtf8()))
        return fail(error);
    if (const int error = writeFile(QDir(building).filePath(kStyle), styleSheet().toUtf8()))
        return fail(error);
    // Every file was forced to the disk as it was written; their folders now.
    if (const int error = syncFolderOf(pictureFolder.absolutePath()))
        return fail(error);
    if (const int error = syncFolderOf(building))
        return fail(error);

    // The complete catalogue takes the place of the old one, which goes only then. Where
    // the system can swap two names in one step, no moment is without a catalogue.
    if (!replacing) {
        if (const int error = renameEntry(building, target))
            return fail(error);
    } else if (exchangeEntries(building, target) == 0) {
        syncFolderOf(parent.absolutePath());
        // The old catalogue now stands under the building name.
        safetree::removeTree(building);
        return {};
    } else {
        if (const int error = renameEntry(target, aside))
            return fail(error);
        if (const int error = renameEntry(building, target)) {
            renameEntry(aside, target);
            return fail(error);
        }
    }
    syncFolderOf(parent.absolutePath());
    // What a kill leaves of the old catalogue is removed by the next export here.
    if (replacing)
        safetree::removeTree(aside);
    return {};
}

} // namespace htmlcatalogue
