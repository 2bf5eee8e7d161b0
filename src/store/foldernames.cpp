#include "foldernames.h"

#include "filelisting.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <chrono>
#include <system_error>

namespace {

// Longer than the tick of the clock file systems stamp folders with.
constexpr std::chrono::milliseconds kStampTick{20};

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

void FolderNames::listIfChanged() const
{
    const Stamp now = stamp();
    if (m_listedAt && now && *now == *m_listedAt && !m_racy)
        return;
    const auto started = std::filesystem::file_time_type::clock::now();
    m_sorted.clear();
    m_irregular.clear();
    m_byFoldedName.clear();
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        m_sorted.append(name);
        m_byFoldedName.insert(foldLetterCase(name), name);
        if (!it.fileInfo().isFile())
            m_irregular.insert(name);
    }
    std::sort(m_sorted.begin(), m_sorted.end());
    m_listedAt = now;
    m_racy = now && *now + kStampTick >= started;
    ++m_timesListed;
}

void FolderNames::add(const QString& name) const
{
    const auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), name);
    if (at == m_sorted.end() || *at != name)
        m_sorted.insert(at, name);
    m_byFoldedName.insert(foldLetterCase(name), name);
    m_irregular.remove(name);
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
        const bool exact = std::binary_search(m_sorted.cbegin(), m_sorted.cend(), name);
        const QString file = exact ? name : m_byFoldedName.value(foldLetterCase(name));
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
    QStringList out;
    for (const QString& name : std::as_const(m_sorted)) {
        if (FileListing::matches(pattern, name) && !m_irregular.contains(name))
            out.append(name);
    }
    return out;
}

QStringList FolderNames::all() const
{
    listIfChanged();
    return m_sorted;
}

void FolderNames::noteOwnChange(const QStringList& created, const QStringList& deleted, const Stamp& before) const
{
    const Stamp now = stamp();
    if (!m_listedAt || !before || !now || *before != *m_listedAt) {
        m_listedAt.reset();
        return;
    }
    for (const QString& name : created)
        add(name);
    for (const QString& name : deleted) {
        const QString folded = foldLetterCase(name);
        if (m_byFoldedName.value(folded) == name)
            m_byFoldedName.remove(folded);
        const auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), name);
        if (at != m_sorted.end() && *at == name)
            m_sorted.erase(at);
        m_irregular.remove(name);
    }
    m_listedAt = now;
}
