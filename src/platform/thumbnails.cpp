#include "thumbnails.h"

#include "platform/picturebox.h"
#include "store/regularfile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// The folders of the cache by the side of their thumbnails, smallest first.
constexpr std::pair<int, const char16_t*> kSizes[] = {{128, u"normal"}, {256, u"large"}, {512, u"x-large"}, {1024, u"xx-large"}};

// A thumbnail of 1024 pixels squared holds 4 MB of pixels before it is compressed; a
// larger file under a thumbnail's name is none of ours and is not read.
constexpr qint64 kLargestThumbnail = 16LL * 1024 * 1024;

// The modification time in nanoseconds, kept beside the standard's whole seconds under
// a key of our own (the standard leaves keys not its own to the programs).
const QString kModifiedNs = u"X-Utabako::MTime-ns"_s;

int sideOf(const QString& sizeName)
{
    for (const auto& [side, name] : kSizes) {
        if (sizeName == QStringView(name))
            return side;
    }
    return 0;
}

QString uriOf(const QString& path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString thumbnailPath(const QString& path, const QString& sizeName)
{
    return thumbnails::cacheFolder() + u'/' + sizeName + u'/' + thumbnails::fileName(path);
}

// The stamp of the regular file at path as it is now, looked at without opening it.
std::optional<FileStamp> stampOf(const QString& path)
{
    const QFileInfo info(path);
    return FolderHandle(info.absolutePath()).stamp(info.fileName());
}

qint64 wholeSeconds(qint64 nanoseconds)
{
    return nanoseconds >= 0 ? nanoseconds / 1'000'000'000 : -((-nanoseconds + 999'999'999) / 1'000'000'000);
}

// A folder of the cache made as the standard asks, readable by its owner only.
bool makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Removes what stands under name when it is a link, the link itself: a save renamed over
// a link would otherwise go to the file it points to.
bool unlinked(const QString& name)
{
    const QFileInfo info(name);
    return !info.isSymLink() || QFile::remove(name);
}

void store(QImage thumbnail, const QString& path, const FileStamp& file, QSize original, const QString& sizeName)
{
    const QString root = thumbnails::cacheFolder();
    if (!QDir().mkpath(QFileInfo(root).path()) || !makeFolder(root) || !makeFolder(root + u'/' + sizeName))
        return;
    thumbnail.setText(u"Thumb::URI"_s, uriOf(path));
    thumbnail.setText(u"Thumb::MTime"_s, QString::number(wholeSeconds(file.modified)));
    thumbnail.setText(u"Thumb::Size"_s, QString::number(file.size));
    thumbnail.setText(u"Thumb::Image::Width"_s, QString::number(original.width()));
    thumbnail.setText(u"Thumb::Image::Height"_s, QString::number(original.height()));
    thumbnail.setText(kModifiedNs, QString::number(file.modified));
    thumbnail.setText(u"Software"_s, u"Utabako"_s);
    // Written under a name of its own, readable by its owner only, and renamed over the
    // old one, so that no reader meets half a thumbnail.
    const QString target = thumbnailPath(path, sizeName);
    if (!unlinked(target))
        return;
    QSaveFile out(target);
    if (out.open(QIODevice::WriteOnly) && out.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        && thumbnail.save(&out, "PNG", 50))
        out.commit();
}

} // namespace

QString thumbnails::cacheFolder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + u"/.cache"_s;
    return base + u"/thumbnails"_s;
}

QString thumbnails::sizeName(int side)
{
    for (const auto& [fits, name] : kSizes) {
        if (side <= fits)
            return QString::fromUtf16(name);
    }
    return {};
}

QString thumbnails::fileName(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(uriOf(path).toLatin1(), QCryptographicHash::Md5).toHex())
        + u".png"_s;
}

QImage thumbnails::find(const QString& path, int side)
{
    const QString size = sizeName(side);
    if (size.isEmpty())
        return {};
    const std::optional<FileStamp> file = stampOf(path);
    if (!file)
        return {};
    std::optional<QByteArray> bytes = readRegularFile(thumbnailPath(path, size), nullptr, kLargestThumbnail);
    if (!bytes)
        return {};
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    // The keys are read with the pixels: the reader's own key list splits names at the
    // first colon.
    QImage stored = QImageReader(&buffer, "png").read();
    if (stored.isNull() || stored.text(u"Thumb::URI"_s) != uriOf(path)
        || stored.text(u"Thumb::MTime"_s) != QString::number(wholeSeconds(file->modified))
        || stored.text(kModifiedNs) != QString::number(file->modified))
        return {};
    const QString byteCount = stored.text(u"Thumb::Size"_s);
    if (!byteCount.isEmpty() && byteCount != QString::number(file->size))
        return {};
    return stored;
}

QImage thumbnails::make(const QString& path, int side)
{
    const QString size = sizeName(side);
    const int thumbSide = size.isEmpty() ? side : sideOf(size);
    // Stamped before the picture is read: a file replaced meanwhile leaves a thumbnail
    // that is known as stale.
    const std::optional<FileStamp> stamped = stampOf(path);
    const std::optional<QByteArray> bytes = PictureBox::readFile(path);
    if (!stamped || !bytes)
        return {};
    QImage image = PictureBox::decodeBytes(*bytes, QSize(thumbSide, thumbSide));
    if (image.isNull() || size.isEmpty())
        return image;
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize original = QImageReader(&buffer).size();
    if (original.width() > thumbSide || original.height() > thumbSide)
        store(image, path, *stamped, original, size);
    return image;
}

QImage thumbnails::picture(const QString& path, int side)
{
    const QImage stored = find(path, side);
    return stored.isNull() ? make(path, side) : stored;
}

void thumbnails::forget(const QString& path)
{
    for (const auto& [side, name] : kSizes) {
        Q_UNUSED(side);
        QFile::remove(thumbnailPath(path, QString::fromUtf16(name)));
    }
}
