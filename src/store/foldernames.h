#pragma once

#include <QFuture>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

// The one listing of the files in the data folder, shared by every reader: the names
// matched regardless of ASCII letter case, the names a pattern picks out, the files
// left by interrupted saves. Taken once and kept while the folder stays unchanged: the
// program's own creations and deletions are entered into it, and a change made by
// anyone else since it was taken (a cover copied in by hand) has it read again.
class FolderNames {
public:
    explicit FolderNames(QString folder);

    // The name as spelt on disk of the file whose name equals name regardless of ASCII
    // letter case, or an empty string.
    QString onDisk(const QString& name) const;
    // The files names stand for, as spelt on disk, each once and in the order of names:
    // the file of exactly that name, else the one onDisk() gives. Folders are no files.
    QStringList filesOnDisk(const QStringList& names) const;
    // The regular files (or links to one) whose names match pattern (FileListing::matches),
    // sorted by name. A FIFO, a socket or a device is never one of them.
    QStringList matching(QStringView pattern) const;
    // The same in the order the system lists them (not kept: for a look-up by name).
    QStringList matchingAsListed(QStringView pattern) const;
    // Every file of the folder, in the order the system lists them.
    QStringList all() const;

    // Begins reading the folder on a worker, so that the caller can go on meanwhile; the
    // first look-up waits for it. The folder's stamp is taken here, before this returns:
    // a change entered by noteOwnChange meanwhile is judged against it at once, and its
    // names are entered once the listing is in.
    void listAhead() const;

    // The folder's modification time (to the nanosecond where the file system keeps it).
    using Stamp = std::optional<std::filesystem::file_time_type>;
    Stamp stamp() const;

    // Enters the files the program created and deleted. before is the folder's stamp
    // taken before those changes: when the folder had changed since the listing was
    // taken, the listing is read again at the next look-up instead.
    void noteOwnChange(const QStringList& created, const QStringList& deleted, const Stamp& before) const;

    // A mark of the listing as it stands, for changedSince(). Taken while the reading
    // begun by listAhead() is under way, it does not wait for it.
    quint64 changeMark() const;
    // The names the program created, rewrote or deleted since mark was taken, or nothing
    // when the folder has been read again since: then any of its files may have changed.
    // Asked while the reading begun by listAhead() is under way, it does not wait for it.
    std::optional<QSet<QString>> changedSince(quint64 mark) const;

    // How many times the folder was read (for measuring).
    int timesListed() const { return m_timesListed; }

private:
    // What one reading of the folder found, with its look-ups; made on any thread.
    struct Read {
        QStringList names;
        QSet<QString> irregular; // listed, but no regular file
        QHash<QString, QString> byFoldedName;
        QSet<QString> shadowed;
    };
    static Read read(const QString& folder);
    // Makes read the listing.
    void take(Read read) const;
    // Enters the program's own creations and deletions into the listing.
    void enter(const QStringList& created, const QStringList& deleted) const;
    // Reads the folder again when it changed since it was last listed.
    void listIfChanged() const;
    bool holds(const QString& name) const;
    void add(const QString& name) const;
    void drop(const QString& name) const;
    // Takes a name already out of the list out of the look-ups too.
    void forget(const QString& name) const;

    QString m_folder;
    mutable QStringList m_names;
    mutable QSet<QString> m_irregular; // listed, but no regular file
    mutable QHash<QString, QString> m_byFoldedName;
    mutable QSet<QString> m_shadowed; // names that differ only in letter case from the one onDisk() gives
    // The sorted names of each pattern asked for, and the state of the listing they were
    // picked from: any change to the listing makes them be picked again.
    mutable quint64 m_generation = 1; // a pattern never looked up has generation 0
    mutable QHash<QString, std::pair<quint64, QStringList>> m_matching;
    mutable Stamp m_listedAt;
    // The folder was changed so shortly before it was listed that a change made just
    // after could carry the same time: the next look-up reads it again.
    mutable bool m_racy = false;
    mutable int m_timesListed = 0;
    // The reading begun by listAhead(), and the changes entered while it was under way.
    mutable QFuture<Read> m_ahead;
    mutable quint64 m_aheadMark = 0; // the count of changes when it began
    mutable std::vector<std::pair<QStringList, QStringList>> m_held;
    // Counts the program's own changes; each name changed since the folder was last
    // read has the count of its latest change.
    mutable quint64 m_changes = 0;
    mutable quint64 m_readAtChange = 0;
    mutable QHash<QString, quint64> m_changedAt;
};
