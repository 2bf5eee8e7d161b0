#pragma once

#include <QImage>
#include <QString>

// Small copies of pictures in the thumbnail cache that desktop programs share
// ($XDG_CACHE_HOME/thumbnails, ~/.cache/thumbnails when that is not set): a PNG named by
// the MD5 of the file's URI, in "normal" (128 pixels) or "large" (256), holding the URI
// and the file's modification time and size, by which a thumbnail made from an older
// file is known and made again. Safe on any thread.
namespace thumbnails {

QString cacheFolder();
// "normal" or "large", the smallest that fills a box of side pixels; empty when none
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
