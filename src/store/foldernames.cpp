#include "foldernames.h"

#include "filelisting.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <chrono>
#include <functional>
#include <system_error>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

// Longer than the tick of the clock file systems stamp folders with.
constexpr std::chrono::milliseconds kStampTick{20};

// Hands each entry of the folder that is no folder (nor a link to one) to take, with
// whether it is a regular file or a link to one, in the order the system lists them.
void readFolder(const QString& folder, const std::function<void(QString, bool)>& take)
{
#ifdef Q_OS_UNIX
    // One pass over the entries; only a link, or an entry of unknown type, is looked at.
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            if (::fstatat(fd, entry->d_name, &target, 0) == 0) {
                if (S_ISDIR(target.st_mode))
                    continue;
                regular = S_ISREG(target.st_mode);
            }
        }
        take(QFile::decodeName(entry->d_name), regular);
    }
    ::closedir(dir);
#else
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        take(it.fileName(), it.fileInfo().isFile());
    }
#endif
}

} // namespace

FolderNames::FolderNames(QString folder)
    : m_folder(std::move(folder))
{
}

FolderNames::Stamp FolderNames::stamp() const
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(m_folder.toStdU16String(), error);
    return error ? std::nullopt : Stamp(time);
}

FolderNames::Read FolderNames::read(const QString& folder)
{
    Read read;
    readFolder(folder, [&read](QString name, bool regular) {
        read.names.append(std::move(name));
        if (!regular)
            read.irregular.insert(read.names.back());
    });
    read.byFoldedName.reserve(read.names.size());
    for (const QString& name : std::as_const(read.names)) {
        const QString twin = std::exchange(read.byFoldedName[foldLetterCase(name)], name);
        if (!twin.isNull())
            read.shadowed.insert(twin);
    }
    return read;
}

void FolderNames::listAhead() const
{
    if (m_ahead.isValid())
        return;
    const Stamp now = stamp();
    const auto started = std::filesystem::file_time_type::clock::now();
    m_ahead = QtConcurrent::run(&FolderNames::read, m_folder);
    m_aheadMark = m_changes;
    m_listedAt = now;
    m_racy = now && *now + kStampTick >= started;
}

void FolderNames::listIfChanged() const
{
    if (m_ahead.isValid()) {
        take(m_ahead.takeResult());
        m_ahead = {};
        // Begun before any mark taken meanwhile, this reading leaves those marks good.
        m_readAtChange = m_aheadMark;
        for (const auto& [created, deleted] : std::exchange(m_held, {}))
            enter(created, deleted);
    }
    const Stamp now = stamp();
    if (m_listedAt && now && *now == *m_listedAt && !m_racy)
        return;
    const auto started = std::filesystem::file_time_type::clock::now();
    take(read(m_folder));
    m_listedAt = now;
    m_racy = now && *now + kStampTick >= started;
}

void FolderNames::take(Read read) const
{
    m_names = std::move(read.names);
    m_irregular = std::move(read.irregular);
    m_byFoldedName = std::move(read.byFoldedName);
    m_shadowed = std::move(read.shadowed);
    ++m_generation;
    m_readAtChange = ++m_changes;
    m_changedAt.clear();
    ++m_timesListed;
}

bool FolderNames::holds(const QString& name) const
{
    return m_byFoldedName.value(foldLetterCase(name)) == name || m_shadowed.contains(name);
}

void FolderNames::add(const QString& name) const
{
    if (m_irregular.remove(name))
        ++m_generation;
    if (holds(name))
        return;
    ++m_generation;
    m_names.append(name);
    const QString twin = std::exchange(m_byFoldedName[foldLetterCase(name)], name);
    if (!twin.isNull())
        m_shadowed.insert(twin);
}

void FolderNames::drop(const QString& name) const
{
    m_irregular.remove(name);
    if (m_names.removeOne(name))
        forget(name);
}

void FolderNames::forget(const QString& name) const
{
    ++m_generation;
    if (m_shadowed.remove(name))
        return;
    // A twin left in other letter case is now the one found.
    const QString folded = foldLetterCase(name);
    m_byFoldedName.remove(folded);
    const auto twin = std::find_if(m_shadowed.cbegin(), m_shadowed.cend(),
                                   [&folded](const QString& other) { return foldLetterCase(other) == folded; });
    if (twin != m_shadowed.cend()) {
        const QString found = *twin;
        m_byFoldedName.insert(folded, found);
        m_shadowed.remove(found);
    }
}

QString FolderNames::onDisk(const QString& name) const
{
    listIfChanged();
    return m_byFoldedName.value(foldLetterCase(name));
}

QStringList FolderNames::filesOnDisk(const QStringList& names) const
{
    listIfChanged();
    QStringList out;
    QSet<QString> seen;
    for (const QString& name : names) {
        const QString file = holds(name) ? name : m_byFoldedName.value(foldLetterCase(name));
        if (file.isEmpty() || seen.contains(file))
            continue;
        seen.insert(file);
        out.append(file);
    }
    return out;
}

QStringList FolderNames::matching(QStringView pattern) const
{
    listIfChanged();
    auto& [generation, names] = m_matching[pattern.toString()];
    if (generation != m_generation) {
        names = matchingAsListed(pattern);
        std::sort(names.begin(), names.end());
        generation = m_generation;
    }
    return names;
}

QStringList FolderNames::matchingAsListed(QStringView pattern) const
{
    listIfChanged();
    QStringList names;
    for (const QString& name : std::as_const(m_names)) {
        if (FileListing::matches(pattern, name) && !m_irregular.contains(name))
            names.append(name);
    }
    return names;
}

quint64 FolderNames::changeMark() const
{
    if (!m_ahead.isValid())
        listIfChanged();
    return m_changes;
}

std::optional<QSet<QString>> FolderNames::changedSince(quint64 mark) const
{
    // While the first reading is under way the folder cannot have been read again: what
    // changed is what the program holds for that reading, unless someone else changed
    // the folder meanwhile.
    if (m_ahead.isValid()) {
        const Stamp now = stamp();
        if (mark < m_aheadMark || m_racy || !m_listedAt || !now || *now != *m_listedAt)
            return std::nullopt;
        QSet<QString> names;
        for (const auto& [created, deleted] : m_held) {
            for (const QStringList* changed : {&created, &deleted})
                names.unite(QSet<QString>(changed->cbegin(), changed->cend()));
        }
        return names;
    }
    listIfChanged();
    if (mark < m_readAtChange)
        return std::nullopt;
    QSet<QString> names;
    for (auto it = m_changedAt.cbegin(); it != m_changedAt.cend(); ++it) {
        if (it.value() > mark)
            names.insert(it.key());
    }
    return names;
}

QStringList FolderNames::all() const
{
    listIfChanged();
    return m_names;
}

void FolderNames::noteOwnChange(const QStringList& created, const QStringList& deleted, const Stamp& before) const
{
    const Stamp now = stamp();
    if (!m_listedAt || !before || !now || *before != *m_listedAt) {
        m_listedAt.reset();
        return;
    }
    // Read meanwhile, the listing may or may not hold these yet: they are entered once it is in.
    if (m_ahead.isValid())
        m_held.emplace_back(created, deleted);
    else
        enter(created, deleted);
    m_listedAt = now;
}

void FolderNames::enter(const QStringList& created, const QStringList& deleted) const
{
    for (const QStringList* names : {&created, &deleted}) {
        for (const QString& name : *names)
            m_changedAt.insert(name, ++m_changes);
    }
    for (const QString& name : created)
        add(name);
    if (deleted.size() <= 16) {
        for (const QString& name : deleted)
            drop(name);
    } else {
        // Many names at once (a reset moves tens of thousands) leave the list in one pass.
        const QSet<QString> gone(deleted.cbegin(), deleted.cend());
        QStringList present;
        m_names.removeIf([&](const QString& name) {
            if (!gone.contains(name))
                return false;
            present.append(name);
            return true;
        });
        for (const QString& name : deleted)
            m_irregular.remove(name);
        for (const QString& name : std::as_const(present))
            forget(name);
    }
}
