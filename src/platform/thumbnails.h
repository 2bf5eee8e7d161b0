#pragma once

#include <QImage>
#include <QString>

// Small copies of pictures in the thumbnail cache that desktop programs share
// ($XDG_CACHE_HOME/thumbnails, ~/.cache/thumbnails when that is not set): a PNG named by
// the MD5 of the file's URI, in "normal" (128 pixels), "large" (256), "x-large" (512)
// or "xx-large" (1024), holding the URI
// and the file's modification time and size, by which a thumbnail made from an older
// file is known and made again. The standard's time is in whole seconds; ours also
// holds it in nanoseconds, so that a file replaced within the same second by one of
// the same size is not shown from the old file's thumbnail.
//
// The cache is another program's ground as much as ours: what lies under a thumbnail's
// name is read only when it is a regular file of a thumbnail's size, without ever
// waiting on it (a FIFO put there is passed over), and a thumbnail is written under a
// name of its own and renamed over the old one, never through a link. Each call
// touches the disk, so the window's thread leaves them to workers. Safe on any thread.
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
// Removes the stored thumbnails of the file at path in every size, so that they are made
// again from the file as it is now: for a file the program has just written itself,
// whatever times the file system keeps.
void forget(const QString& path);

} // namespace thumbnails
