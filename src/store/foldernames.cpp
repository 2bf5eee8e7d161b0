#include "foldernames.h"

#include "filelisting.h"

#include <QDir>
#include <QDirIterator>

#include <system_error>

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
    if (m_listedAt && now && *now == *m_listedAt)
        return;
    m_byFoldedName.clear();
    m_exact.clear();
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        m_byFoldedName.insert(foldLetterCase(it.fileName()), it.fileName());
        m_exact.insert(it.fileName());
    }
    m_listedAt = now;
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
        const QString file = m_exact.contains(name) ? name : m_byFoldedName.value(foldLetterCase(name));
        if (file.isEmpty() || seen.contains(file))
            continue;
        seen.insert(file);
        out.append(file);
    }
    return out;
}

void FolderNames::noteOwnChange(const QStringList& created, const QStringList& deleted, const Stamp& before) const
{
    const Stamp now = stamp();
    if (!m_listedAt || !before || !now || *before != *m_listedAt) {
        m_listedAt.reset();
        return;
    }
    for (const QString& name : created) {
        m_byFoldedName.insert(foldLetterCase(name), name);
        m_exact.insert(name);
    }
    for (const QString& name : deleted) {
        const QString folded = foldLetterCase(name);
        if (m_byFoldedName.value(folded) == name)
            m_byFoldedName.remove(folded);
        m_exact.remove(name);
    }
    m_listedAt = now;
}
