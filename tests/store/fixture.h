#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
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
#endif

} // namespace fixture

#include "store/cp932.h"

inline QByteArray fixture::sjis(const QString& text)
{
    QByteArray out;
    cp932::encode(text, &out);
    return out;
}
