#include "thumbnails.h"

#include "platform/picturebox.h"

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

// A folder of the cache made as the standard asks, readable by its owner only.
bool makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The file as it was when its picture was read.
struct Stamp {
    QString path;
    QDateTime modified;
    qint64 size;
};

void store(QImage thumbnail, const Stamp& file, QSize original, const QString& sizeName)
{
    const QString root = thumbnails::cacheFolder();
    if (!QDir().mkpath(QFileInfo(root).path()) || !makeFolder(root) || !makeFolder(root + u'/' + sizeName))
        return;
    thumbnail.setText(u"Thumb::URI"_s, uriOf(file.path));
    thumbnail.setText(u"Thumb::MTime"_s, QString::number(file.modified.toSecsSinceEpoch()));
    thumbnail.setText(u"Thumb::Size"_s, QString::number(file.size));
    thumbnail.setText(u"Thumb::Image::Width"_s, QString::number(original.width()));
    thumbnail.setText(u"Thumb::Image::Height"_s, QString::number(original.height()));
    thumbnail.setText(u"Software"_s, u"Utabako"_s);
    // Written under a name of its own, readable by its owner only, and renamed over the
    // old one, so that no reader meets half a thumbnail.
    QSaveFile out(thumbnailPath(file.path, sizeName));
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
    // The keys are read with the pixels: the reader's own key list splits names at the
    // first colon.
    QImage stored = QImageReader(thumbnailPath(path, size), "png").read();
    const QFileInfo file(path);
    if (stored.isNull() || stored.text(u"Thumb::URI"_s) != uriOf(path)
        || stored.text(u"Thumb::MTime"_s) != QString::number(file.lastModified().toSecsSinceEpoch()))
        return {};
    const QString bytes = stored.text(u"Thumb::Size"_s);
    if (!bytes.isEmpty() && bytes != QString::number(file.size()))
        return {};
    return stored;
}

QImage thumbnails::make(const QString& path, int side)
{
    const QString size = sizeName(side);
    const int thumbSide = size.isEmpty() ? side : sideOf(size);
    // Stamped before the picture is read: a file replaced meanwhile leaves a thumbnail
    // that is known as stale.
    const QFileInfo file(path);
    const Stamp stamped{path, file.lastModified(), file.size()};
    QImage image = PictureBox::decode(path, QSize(thumbSide, thumbSide));
    if (image.isNull() || size.isEmpty())
        return image;
    const QSize original = QImageReader(path).size();
    if (original.width() > thumbSide || original.height() > thumbSide)
        store(image, stamped, original, size);
    return image;
}

QImage thumbnails::picture(const QString& path, int side)
{
    const QImage stored = find(path, side);
    return stored.isNull() ? make(path, side) : stored;
}
