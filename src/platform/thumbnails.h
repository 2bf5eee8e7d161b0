#pragma once

#include <QImage>
#include <QString>

// Small copies of pictures in the thumbnail cache that desktop programs share
// ($XDG_CACHE_HOME/thumbnails, ~/.cache/thumbnails when that is not set): a PNG named by
// the MD5 of the file's URI, in "normal" (128 pixels), "large" (256), "x-large" (512)
// or "xx-large" (1024), holding the URI
// and the file's modification time and size, by which a thumbnail made from an older
// file is known and made again. Safe on any thread.
namespace thumbnails {

// Files up to this size decode at the size of a box in a few milliseconds; a
// photograph of many megapixels takes tens, and is worth a thumbnail made ahead.
constexpr qint64 kQuickDecode = 512 * 1024;

QString cacheFolder();
// The folder of the smallest size that fills a box of side pixels; empty when none
// does.
QString sizeName(int side);
// The MD5 of the file's URI in hex, with ".png".
QString fileName(const QString& path);
// The stored thumbnail of the file at path for a box of side pixels, when it was made
// from the file as it is now; null otherwise.
QImage find(const QString& path, int side);
// The picture of the file decoded for a box of side pixels, stored as its thumbnail
// when it is larger than that. Null when the file is no whole picture. A thumbnail
// that cannot be stored is left out; the picture is returned all the same.
QImage make(const QString& path, int side);
// The stored thumbnail, else make().
QImage picture(const QString& path, int side);

} // namespace thumbnails
