#pragma once

#include "foldernames.h"
#include "problemlog.h"
#include "regularfile.h"
#include "storeerror.h"

#include <QByteArrayView>
#include <QDate>
#include <QDir>
#include <QFuture>
#include <QHash>
#include <QString>
#include <QStringList>

#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Files being read on the machine's cores, begun by DataFolder::startTexts. Letting it go
// before DataFolder::finishTexts stops the reading and waits for the files in hand.
class TextsReading {
public:
    ~TextsReading();
    TextsReading(const TextsReading&) = delete;
    TextsReading& operator=(const TextsReading&) = delete;

    bool isFinished() const;
    // The stamp the file at place i had when it was read, once finished; nothing when it
    // was not read from the folder's handle.
    std::optional<FileStamp> stamp(qsizetype i) const;

private:
    friend class DataFolder;
    struct Work;
    explicit TextsReading(std::shared_ptr<Work> work);
    std::shared_ptr<Work> m_work;
};

// The folder that holds the collection, and the one door in and out of its files.
//
// Names are matched without regard to ASCII letter case, as on the Windows disks the
// collections come from: "データ.txt" on disk is the file the program calls "データ.TXT".
// A file the program creates gets the spelling it asked for.
//
// Every write is whole or not at all: the new content is written beside the file and
// put in its place by a rename, appends included, so that a failure or a crash leaves
// the file as it was or as it was meant to be. Text that CP932 cannot hold is refused
// before any byte is written. A file found damaged when read is copied aside, under a
// dated name, before the program first writes to it.
class DataFolder {
public:
    explicit DataFolder(const QString& path);
    ~DataFolder();

    QString path() const { return m_dir.absolutePath(); }
    // The folder's one listing, kept current by every write made through this door.
    const FolderNames& listing() const { return m_names; }

    // The full path of the file named name: the existing file whose name equals it
    // regardless of ASCII letter case, else the name as given.
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;

    // The decoded text of a file, or nothing when it is missing or cannot be opened.
    // Bytes that are not CP932 are noted as a problem of the file. A file read ahead with
    // a digest hands what the digest made of the text to *digested (left empty otherwise).
    std::optional<QString> readText(const QString& name, std::any* digested = nullptr);
    // Begins reading and decoding the files names on the machine's cores, for the
    // readText calls that follow; a file the program has written or deleted since, or
    // any file once the folder was changed by someone else, is read again.
    void readAhead(const QStringList& names);
    // The same for one file whose text digest turns, there on the worker, into what its
    // reader makes of it (records, a table). digest must touch nothing shared.
    using Digest = std::function<std::any(const QString& text)>;
    void readAhead(const QString& name, Digest digest);
    // For each of names (files of the folder's listing), in that order, whether it was
    // read and its decoded text passes test. The files are read on the machine's cores,
    // each opened once relative to the folder, and test runs there: it must touch
    // nothing shared. What is noted of a file is noted as readText notes it, here.
    std::vector<char> textsPassing(const QStringList& names, const std::function<bool(QStringView)>& test);
    // Hands the decoded text of each of names that could be read to use, with its place
    // in names, read as textsPassing reads them: use runs on the machine's cores and may
    // touch nothing but what belongs to that place.
    void eachText(const QStringList& names, const std::function<void(qsizetype, QStringView)>& use);
    // eachText in two halves, so that the caller can go on while the files are read:
    // startTexts gives at once, use running on the machine's cores as each file is read;
    // finishTexts waits for the rest and notes what was met, here. Names in skip (files
    // rewritten meanwhile) are neither noted nor read again.
    std::unique_ptr<TextsReading> startTexts(const QStringList& names,
                                             std::function<void(qsizetype, QStringView)> use) const;
    void finishTexts(TextsReading& reading, const QSet<QString>& skip = {});
    // Looks again on a worker, without opening them, at files read with the stamps they
    // had then, and gives those whose stamp is not the same now (rewritten in place by
    // another program, which leaves the folder's own time as it was).
    QFuture<QStringList> startFindingRewritten(QList<std::pair<QString, FileStamp>> read) const;

    // One change to a file: its whole new text, or text added at its end.
    struct Change {
        enum class Mode { Rewrite, Append };
        QString name;
        QString text;
        Mode mode = Mode::Rewrite;
        // Bytes that are not text (a cover picture), written as they are instead of text.
        std::optional<QByteArray> bytes = std::nullopt;
    };
    // Makes every change or none: all new contents are written first, and only when all
    // are written are they put in place. Should putting one in place fail, those put
    // before it get their old contents back.
    WriteResult write(const std::vector<Change>& changes);
    WriteResult rewrite(const QString& name, const QString& text);
    // A last line left without its line end gets one first, so that the new text does
    // not run into it.
    WriteResult append(const QString& name, const QString& text);
    // Deletes a file; a missing file is not an error.
    bool remove(const QString& name);

    // Makes a new folder inside the data folder named name, or name + "_2", "_3"… when
    // that is taken, and gives the name it got in *made.
    WriteResult makeFolder(const QString& name, QString* made);
    // Moves files into the folder sub inside the data folder, one rename each, keeping
    // their names as spelt on disk. Each file of names is moved once, however its name
    // is spelt; a name with no file (or with a folder) is passed over. *moved receives
    // the names moved, also when a rename fails part way; progress(done, total) follows each.
    WriteResult moveInto(const QString& sub, const QStringList& names, QStringList* moved,
                         const std::function<void(qsizetype, qsizetype)>& progress = {});
    // Moves files moveInto moved back out of sub; gives those that could not be.
    QStringList moveBack(const QString& sub, const QStringList& moved);

    // Puts bytes that are not text (a cover picture copied in) in the file name, whole
    // or not at all, replacing what the file held.
    WriteResult writeBytes(const QString& name, QByteArrayView bytes);

    // Whether the field-record file name was read and found to end within a record: a
    // record appended to it would run into the cut one, so it must be written whole.
    bool endsWithinRecord(const QString& name) const;

    // Problems met while reading, in the order met, each file once. With a listener set,
    // each is handed to it as it is met instead of being kept for takeProblems().
    void noteProblem(const LoadProblem& problem);
    void setProblemListener(std::function<void(const LoadProblem&)> listener);
    QList<LoadProblem> takeProblems();
    // The names under which damaged files were kept before being written, since the last call.
    QStringList takeKeptCopies();

    // Refuses every write and deletion from now on, saying why (a folder the user may
    // not write to, one that another copy of the program has open): the collection is
    // read as usual, and each change tells the user that nothing can be saved.
    void setReadOnly(const QString& reason) { m_readOnly = reason; }
    bool isReadOnly() const { return !m_readOnly.isNull(); }
    // What a write to name gives while the folder is read-only.
    WriteResult readOnlyRefusal(const QString& name) const { return {WriteResult::Kind::ReadOnly, name, {}, m_readOnly}; }

    // Removes the temporary files that saves interrupted by a crash or a power cut left
    // behind (never anything else) and returns their names. Called at start-up.
    QStringList removeInterruptedSaves();
    // Finishes the saves of several files that a crash or a power cut cut short between
    // two of their renames (see SaveJournal), and returns the files it put in place.
    // Called at start-up, before removeInterruptedSaves and before the files are read.
    QStringList finishInterruptedSaves();

    // From now on, before the first rewrite each day of one of names, keeps the file as it
    // was in the folder's history (see DailyHistory); today gives the day (the clock's
    // when not given). A rewrite whose old file cannot be kept is refused.
    void keepDailyHistory(const QStringList& names, std::function<QDate()> today = {});
    // Removes, on a worker, the days of the history past those kept.
    void startRemovingOldHistory();

    // A file name the store will accept: no path separators, not "." or "..".
    static bool isPlainFileName(const QString& name);

private:
    friend class TextsReading;
    // A file's bytes as text, and what was wrong with them; made on any thread.
    struct ReadText {
        std::optional<QString> text;
        QString error;
        bool zeroFilled = false;
        int badLine = 0; // the line of the first byte that is not CP932
        std::any digested;
    };
    static ReadText decodeRead(std::optional<QByteArray> read, QString error);
    // Notes what reading the file at path met, and gives its text.
    std::optional<QString> noteRead(const QString& path, ReadText read);
    std::optional<WriteResult> keepDamagedOriginal(const QString& name, const QString& path, QStringList* created);

    struct Ahead {
        QString path;
        quint64 mark = 0; // the listing's mark when the reading began
        QFuture<ReadText> read;
    };

    QDir m_dir;
    FolderNames m_names;
    QHash<QString, Ahead> m_ahead;
    ProblemLog m_problems;
    QString m_readOnly; // null while writes are allowed
    std::unique_ptr<class DailyHistory> m_history;
    QFuture<QStringList> m_removingHistory;
};
