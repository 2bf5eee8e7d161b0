#include "picturecache.h"

#include "platform/picturebox.h"
#include "store/datafolder.h"
#include "store/namerules.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

PictureCache::PictureCache(int capacity)
    : m_capacity(static_cast<size_t>(std::max(capacity, 1)))
{
}

PictureCache::~PictureCache()
{
    // Workers hold nothing of the cache; those not started need not start.
    for (Ahead& ahead : m_ahead)
        ahead.future.cancel();
}

PictureCache::Stamp PictureCache::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.lastModified(), info.size()};
}

PictureCache::Entry PictureCache::decode(const QString& path, QSize fit)
{
    // Stamped before it is read: a file replaced meanwhile shows as changed later.
    Stamp stamp = stampOf(path);
    return {path, fit, stamp, PictureBox::decode(path, fit)};
}

QImage PictureCache::picture(const QString& path, QSize fit)
{
    const Stamp now = stampOf(path);
    const auto same = [&](const auto& e) { return e.path == path && e.fit == fit; };
    if (const auto kept = std::find_if(m_kept.begin(), m_kept.end(), same); kept != m_kept.end()) {
        Entry entry = std::move(*kept);
        m_kept.erase(kept);
        if (entry.stamp == now && now.size >= 0) {
            QImage image = entry.image;
            m_kept.push_front(std::move(entry));
            return image;
        }
    }
    Entry entry;
    if (const auto ahead = std::find_if(m_ahead.begin(), m_ahead.end(), same); ahead != m_ahead.end()) {
        // Needed now: a decode not yet started runs here, one under way is waited for.
        QFuture<Entry> future = ahead->future;
        m_ahead.erase(ahead);
        entry = future.result();
    }
    if (entry.path.isEmpty() || !(entry.stamp == now))
        entry = decode(path, fit);
    QImage image = entry.image;
    keep(std::move(entry));
    return image;
}

void PictureCache::keep(Entry entry)
{
    m_kept.push_front(std::move(entry));
    while (m_kept.size() > m_capacity)
        m_kept.pop_back();
}

void PictureCache::decodeAhead(const QStringList& paths, QSize fit)
{
    std::vector<Ahead> ahead;
    for (const QString& path : paths) {
        const auto same = [&](const auto& e) { return e.path == path && e.fit == fit; };
        const Stamp now = stampOf(path);
        if (std::any_of(m_kept.begin(), m_kept.end(), [&](const Entry& e) { return same(e) && e.stamp == now; }))
            continue;
        if (const auto running = std::find_if(m_ahead.begin(), m_ahead.end(), same); running != m_ahead.end()) {
            ahead.push_back(std::move(*running));
            m_ahead.erase(running);
            continue;
        }
        ahead.push_back({path, fit, QtConcurrent::run(&PictureCache::decode, path, fit)});
    }
    // What was asked before and is no longer wanted: kept if done, dropped if not.
    for (Ahead& old : m_ahead) {
        if (old.future.isFinished())
            keep(old.future.result());
        else
            old.future.cancel();
    }
    m_ahead = std::move(ahead);
}

bool PictureCache::decoding(const QString& path, QSize fit) const
{
    return std::any_of(m_ahead.begin(), m_ahead.end(), [&](const Ahead& ahead) {
        return ahead.path == path && ahead.fit == fit && !ahead.future.isFinished();
    });
}

void PictureCache::whenDecoded(const QString& path, QSize fit, QObject* context, std::function<void()> done)
{
    const auto ahead = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Ahead& a) { return a.path == path && a.fit == fit; });
    if (ahead == m_ahead.end()) {
        QMetaObject::invokeMethod(context, std::move(done), Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QFutureWatcher<Entry>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done();
    });
    watcher->setFuture(ahead->future);
}

void PictureCache::waitForAhead()
{
    for (Ahead& ahead : m_ahead)
        ahead.future.waitForFinished();
}

QStringList covers::files(const DataFolder& folder, const QString& titleName)
{
    QStringList out;
    const QStringList names = namerules::pictureFileNames(titleName);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (folder.exists(*name))
            out.append(folder.filePath(*name));
    }
    return out;
}
