#include "thumbnailer.h"

#include "platform/heap.h"
#include "platform/thumbnails.h"

#include <QFileInfo>

Thumbnailer::Thumbnailer()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setThreadPriority(QThread::IdlePriority);
}

Thumbnailer::~Thumbnailer()
{
    m_cancelled = true;
    {
        QMutexLocker lock(&m_mutex);
        m_waiting.clear();
    }
    m_pool.waitForDone();
}

void Thumbnailer::append(const std::vector<QStringList>& covers, int side)
{
    if (thumbnails::sizeName(side).isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    for (const QStringList& files : covers)
        m_waiting.push_back({files, side});
    lock.unlock();
    startIfIdle();
}

void Thumbnailer::prepend(const std::vector<QStringList>& covers, int side)
{
    if (thumbnails::sizeName(side).isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    for (auto files = covers.rbegin(); files != covers.rend(); ++files)
        m_waiting.push_front({*files, side});
    lock.unlock();
    startIfIdle();
}

bool Thumbnailer::busy() const
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

void Thumbnailer::startIfIdle()
{
    QMutexLocker lock(&m_mutex);
    if (m_running || m_waiting.empty())
        return;
    m_running = true;
    m_pool.start([this] { run(); });
}

void Thumbnailer::run()
{
    while (!m_cancelled) {
        QMutexLocker lock(&m_mutex);
        if (m_waiting.empty()) {
            m_running = false;
            lock.unlock();
            // What decoding and writing the pictures left free in this thread's heap.
            returnFreedMemory();
            return;
        }
        const Job job = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        make(job);
    }
    QMutexLocker lock(&m_mutex);
    m_running = false;
}

void Thumbnailer::make(const Job& job)
{
    // As the catalogue shows a cover: a file it decodes at once needs nothing ahead; a
    // large one that does not load leaves the turn to the next file.
    for (const QString& file : job.files) {
        if (QFileInfo(file).size() <= thumbnails::kQuickDecode || !thumbnails::find(file, job.side).isNull())
            return;
        if (!thumbnails::make(file, job.side).isNull())
            return;
    }
}
