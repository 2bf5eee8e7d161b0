#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <functional>

#ifdef Q_OS_UNIX
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#endif

// Small helpers for tests that work on real files in a temporary data folder.
namespace fixture {

inline QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray readFixture(const QString& name)
{
    return read(QStringLiteral(UTABAKO_FIXTURES "/") + name);
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// CP932 bytes of a UTF-16 literal, for expectations written in plain text.
QByteArray sjis(const QString& text);

#ifdef Q_OS_UNIX
// A disk that fills up after bytes bytes of any one file, while it lives: writes past
// that stop short, as on a full disk.
class DiskFillsAt {
public:
    explicit DiskFillsAt(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~DiskFillsAt() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    DiskFillsAt(const DiskFillsAt&) = delete;
    DiskFillsAt& operator=(const DiskFillsAt&) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

// Runs action while watching the FIFOs at paths, and tells whether anything opened one
// for reading meanwhile. Such a reader, which would wait for ever, is let go at once.
inline bool fifoOpenedDuring(const QStringList& paths, const std::function<void()>& action)
{
    std::atomic<bool> done{false};
    std::atomic<bool> opened{false};
    std::thread watch([&] {
        while (!done) {
            for (const QString& path : paths) {
                const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    opened = true;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    action();
    done = true;
    watch.join();
    return opened;
}
#endif

} // namespace fixture

#include "store/cp932.h"

inline QByteArray fixture::sjis(const QString& text)
{
    QByteArray out;
    cp932::encode(text, &out);
    return out;
}
