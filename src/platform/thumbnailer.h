#pragma once

#include <QMutex>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <vector>

// Makes the thumbnails of large covers before anyone asks for them, one file at a time
// on a thread of its own at the lowest priority (on Linux it runs only when a core is
// otherwise idle), so that a catalogue page opens from the thumbnail cache and nothing
// the user does is slowed. It writes only into the thumbnail cache. Covers put first go
// before those already waiting.
class Thumbnailer {
public:
    Thumbnailer();
    // Drops what waits and waits for the file in hand only.
    ~Thumbnailer();

    // Each entry holds one title's picture files, the one that wins first; the first of
    // them over the quick-decode size gets a thumbnail for a box of side pixels, unless
    // it has a current one or a smaller file before it is shown at once.
    void append(const std::vector<QStringList>& covers, int side);
    void prepend(const std::vector<QStringList>& covers, int side);

    // Whether covers are waiting or being made.
    bool busy() const;

private:
    struct Job {
        QStringList files;
        int side;
    };
    void startIfIdle();
    void run();
    static void make(const Job& job);

    mutable QMutex m_mutex;
    std::deque<Job> m_waiting;
    bool m_running = false;
    std::atomic_bool m_cancelled{false};
    QThreadPool m_pool;
};
