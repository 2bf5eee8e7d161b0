#pragma once

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class DataFolder;
class QObject;

// Covers decoded at the size of their box, kept for the last few titles shown, and the
// titles next to the one shown decoded ahead on a worker so that a step to them waits
// on nothing. A picture is taken from here only while its file is as it was when it was
// read (same size, same modification time): a cover replaced or deleted on disk is never
// shown from here. Decodes asked ahead and not yet done when others are asked are
// dropped, and nothing decoded ahead goes on screen but through picture().
class PictureCache {
public:
    explicit PictureCache(int capacity = 8);
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // The picture of the file at path for fit (see PictureBox::decode): the one kept,
    // the one being decoded ahead (waited for), or one decoded now.
    QImage picture(const QString& path, QSize fit);
    // Decodes the files on a worker for a later picture().
    void decodeAhead(const QStringList& paths, QSize fit);
    // Whether a decode of path for fit asked ahead is still under way.
    bool decoding(const QString& path, QSize fit) const;
    // Calls done on context's thread once that decode is over (done, cancelled or dropped).
    void whenDecoded(const QString& path, QSize fit, QObject* context, std::function<void()> done);
    // Waits for the decodes asked ahead (for measurements and tests).
    void waitForAhead();

private:
    struct Stamp {
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        QString path;
        QSize fit;
        Stamp stamp;
        QImage image;
    };
    struct Ahead {
        QString path;
        QSize fit;
        QFuture<Entry> future;
    };
    static Stamp stampOf(const QString& path);
    static Entry decode(const QString& path, QSize fit);
    void keep(Entry entry);

    std::deque<Entry> m_kept; // the most recently used first
    std::vector<Ahead> m_ahead;
    size_t m_capacity;
};

namespace covers {
// The picture files of a title in the data folder, the one that wins first: the last of
// ".jpg", ".gif", ".bmp" that loads is shown, so the bitmap is tried first.
QStringList files(const DataFolder& folder, const QString& titleName);
}
