#include "datafolder.h"

#include "cp932.h"
#include "dailyhistory.h"
#include "regularfile.h"
#include "stagedfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <numeric>
#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

int lineOfByte(const QByteArray& bytes, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const char c = bytes[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

// An end-of-file mark (Ctrl+Z, as older editors wrote) and the zero bytes a file can be
// padded with after a crash are no text: bytes without them.
QByteArray withoutEndMarks(QByteArray bytes)
{
    qsizetype size = bytes.size();
    while (size > 0 && (bytes[size - 1] == '\x1a' || bytes[size - 1] == '\0'))
        --size;
    bytes.truncate(size);
    return bytes;
}

} // namespace

DataFolder::DataFolder(const QString& path)
    : m_dir(path)
    , m_names(m_dir.absolutePath())
{
}

DataFolder::~DataFolder()
{
    m_removingHistory.waitForFinished();
}

void DataFolder::keepDailyHistory(const QStringList& names, std::function<QDate()> today)
{
    if (!today)
        today = [] { return QDate::currentDate(); };
    m_history = std::make_unique<DailyHistory>(path(), names, std::move(today));
}

void DataFolder::startRemovingOldHistory()
{
    if (isReadOnly() || !m_history)
        return;
    m_removingHistory = QtConcurrent::run([folder = path()] { return DailyHistory::removeOldDays(folder); });
}

bool DataFolder::isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/')
        && !name.contains(u'\\') && !name.contains(QChar(0));
}

QString DataFolder::filePath(const QString& name) const
{
    const QString exact = m_dir.absoluteFilePath(name);
    if (!isPlainFileName(name) || QFileInfo::exists(exact))
        return exact;
    const QString onDisk = m_names.onDisk(name);
    return onDisk.isEmpty() ? exact : m_dir.absoluteFilePath(onDisk);
}

bool DataFolder::exists(const QString& name) const
{
    return isPlainFileName(name) && QFileInfo::exists(filePath(name));
}

DataFolder::ReadText DataFolder::decodeRead(std::optional<QByteArray> read, QString error)
{
    ReadText out;
    out.error = std::move(error);
    if (!read)
        return out;
    const QByteArray bytes = withoutEndMarks(*read);
    // Nothing but zero bytes is what a crash can leave of a file.
    out.zeroFilled = bytes.isEmpty() && read->contains('\0');
    qsizetype bad = -1;
    out.text = cp932::decode(bytes, &bad);
    if (bad >= 0)
        out.badLine = lineOfByte(bytes, bad);
    return out;
}

std::optional<QString> DataFolder::noteRead(const QString& path, ReadText read)
{
    const auto fileName = [&path] { return QFileInfo(path).fileName(); };
    if (!read.text) {
        // A file that is there but cannot be read is told of, and kept from being
        // replaced by what the program holds without it.
        if (!read.error.isEmpty())
            noteProblem({LoadProblem::Kind::Unreadable, fileName(), 0, {}, {}, read.error});
        else
            m_problems.readWhole(path); // gone: nothing unread is left to lose
        return std::nullopt;
    }
    m_problems.readWhole(path);
    // A zero-filled file is told of, so that it is kept aside before it is written again.
    if (read.zeroFilled)
        noteProblem({LoadProblem::Kind::ZeroFilled, fileName(), 1, {}, {}, {}});
    if (read.badLine > 0)
        noteProblem({LoadProblem::Kind::NotCp932, fileName(), read.badLine, {}, {}, {}});
    return std::move(read.text);
}

void DataFolder::readAhead(const QStringList& names)
{
    for (const QString& name : names)
        readAhead(name, {});
}

void DataFolder::readAhead(const QString& name, Digest digest)
{
    if (!isPlainFileName(name))
        return;
    const QString path = filePath(name);
    m_ahead.insert(name, {path, m_names.changeMark(), QtConcurrent::run([path, digest = std::move(digest)] {
                              QString error;
                              std::optional<QByteArray> read = readRegularFile(path, &error);
                              ReadText out = decodeRead(std::move(read), std::move(error));
                              if (digest && out.text)
                                  out.digested = digest(*out.text);
                              return out;
                          })});
}

std::optional<QString> DataFolder::readText(const QString& name, std::any* digested)
{
    if (!isPlainFileName(name))
        return std::nullopt;
    const QString path = filePath(name);
    if (Ahead ahead = m_ahead.take(name); ahead.read.isValid()) {
        const std::optional<QSet<QString>> changed = m_names.changedSince(ahead.mark);
        // Read again when the program itself wrote or deleted the file meanwhile.
        if (ahead.path == path && changed && !changed->contains(QFileInfo(path).fileName())) {
            ReadText read = ahead.read.takeResult();
            if (digested)
                *digested = std::move(read.digested);
            return noteRead(path, std::move(read));
        }
    }
    QString error;
    std::optional<QByteArray> read = readRegularFile(path, &error);
    return noteRead(path, decodeRead(std::move(read), std::move(error)));
}

std::vector<char> DataFolder::textsPassing(const QStringList& names, const std::function<bool(QStringView)>& test)
{
    std::vector<char> passed(static_cast<size_t>(names.size()));
    eachText(names, [&passed, &test](qsizetype i, QStringView text) { passed[static_cast<size_t>(i)] = test(text); });
    return passed;
}

struct TextsReading::Work {
    struct Outcome {
        DataFolder::ReadText read;
        std::optional<FileStamp> stamp;
        bool missing = false;
    };
    Work(const QString& folder, QStringList files, std::function<void(qsizetype, QStringView)> take)
        : handle(folder)
        , names(std::move(files))
        , use(std::move(take))
    {
    }
    FolderHandle handle;
    QStringList names;
    std::function<void(qsizetype, QStringView)> use;
    QFuture<Outcome> outcomes;
};

TextsReading::TextsReading(std::shared_ptr<Work> work)
    : m_work(std::move(work))
{
}

TextsReading::~TextsReading()
{
    m_work->outcomes.cancel();
    m_work->outcomes.waitForFinished();
}

bool TextsReading::isFinished() const
{
    return m_work->outcomes.isFinished();
}

std::optional<FileStamp> TextsReading::stamp(qsizetype i) const
{
    return m_work->outcomes.resultAt(i).stamp;
}

std::unique_ptr<TextsReading> DataFolder::startTexts(const QStringList& names,
                                                     std::function<void(qsizetype, QStringView)> use) const
{
    using Outcome = TextsReading::Work::Outcome;
    auto work = std::make_shared<TextsReading::Work>(path(), names, std::move(use));
    QList<qsizetype> places(names.size());
    std::iota(places.begin(), places.end(), qsizetype(0));
    // The work is held by the reading for as long as a file of it is in hand.
    TextsReading::Work* w = work.get();
    work->outcomes = QtConcurrent::mapped(std::move(places), [w](qsizetype i) {
        Outcome out;
        QString error;
        std::optional<QByteArray> bytes = w->handle.read(w->names[i], &error, &out.stamp);
        out.missing = !bytes && error.isEmpty();
        out.read = decodeRead(std::move(bytes), std::move(error));
        if (out.read.text) {
            w->use(i, *out.read.text);
            out.read.text = QString(); // the text is not kept
        }
        return out;
    });
    return std::unique_ptr<TextsReading>(new TextsReading(std::move(work)));
}

void DataFolder::finishTexts(TextsReading& reading, const QSet<QString>& skip)
{
    TextsReading::Work& work = *reading.m_work;
    work.outcomes.waitForFinished();
    const QStringList& names = work.names;
    // What was met is noted here, on the caller's thread, in the order of names.
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (skip.contains(names[i]))
            continue;
        const TextsReading::Work::Outcome& out = work.outcomes.resultAt(i);
        if (out.missing) {
            // Gone since it was listed, or spelt otherwise on disk now: read by name.
            if (const std::optional<QString> text = readText(names[i]))
                work.use(i, *text);
        } else {
            noteRead(m_dir.absoluteFilePath(names[i]), out.read);
        }
    }
}

QFuture<QStringList> DataFolder::startFindingRewritten(QList<std::pair<QString, FileStamp>> read) const
{
    return QtConcurrent::run([folder = path(), read = std::move(read)] {
        const FolderHandle handle(folder);
        QStringList rewritten;
        for (const auto& [name, stamp] : read) {
            if (handle.stamp(name) != stamp)
                rewritten.append(name);
        }
        return rewritten;
    });
}

void DataFolder::eachText(const QStringList& names, const std::function<void(qsizetype, QStringView)>& use)
{
    const std::unique_ptr<TextsReading> reading = startTexts(names, use);
    finishTexts(*reading);
}

void DataFolder::noteProblem(const LoadProblem& problem)
{
    m_problems.note(problem, filePath(problem.fileName));
}

void DataFolder::setProblemListener(std::function<void(const LoadProblem&)> listener)
{
    m_problems.setListener(std::move(listener));
}

QList<LoadProblem> DataFolder::takeProblems()
{
    return m_problems.take();
}

QStringList DataFolder::takeKeptCopies()
{
    return m_problems.takeCopies();
}

bool DataFolder::endsWithinRecord(const QString& name) const
{
    return m_problems.endsWithinRecord(filePath(name));
}

QStringList DataFolder::removeInterruptedSaves()
{
    if (isReadOnly())
        return {};
    const FolderNames::Stamp before = m_names.stamp();
    const QStringList removed = ::removeInterruptedSaves(path(), m_names.all());
    if (!removed.isEmpty())
        m_names.noteOwnChange({}, removed, before);
    return removed;
}

QStringList DataFolder::finishInterruptedSaves()
{
    if (isReadOnly())
        return {};
    const FolderNames::Stamp before = m_names.stamp();
    QStringList journals;
    QStringList put = ::finishInterruptedSaves(path(), m_names.all(), &journals);
    if (!journals.isEmpty()) {
        // Read afresh: each file put in place has new content.
        for (const QString& name : std::as_const(put))
            m_problems.rewritten(m_dir.absoluteFilePath(name));
        m_names.noteOwnChange(put, journals, before);
    }
    return put;
}

std::optional<WriteResult> DataFolder::keepDamagedOriginal(const QString& name, const QString& path, QStringList* created)
{
    if (!m_problems.needsCopy(path) || !QFileInfo::exists(path))
        return std::nullopt;
    const WriteResult notKept{WriteResult::Kind::Io, name, {}, u"元の内容を控えとして残せませんでした"_s};
    QString error;
    const std::optional<QByteArray> original = readRegularFile(path, &error);
    if (!original)
        return notKept;
    const QString base = QFileInfo(path).fileName() + u'.' + QDateTime::currentDateTime().toString(u"yyyy-MM-dd_HHmmss"_s);
    QString copyName = base + u".bak"_s;
    for (int n = 2; QFileInfo::exists(m_dir.absoluteFilePath(copyName)); ++n)
        copyName = base + u'-' + QString::number(n) + u".bak"_s;
    StagedFile copy;
    WriteResult copied = copy.write(m_dir.absoluteFilePath(copyName), *original);
    if (copied.ok())
        copied = copy.commit();
    // A full or read-only disk is told as such, of the file the user was changing.
    if (copied.kind == WriteResult::Kind::DiskFull)
        return WriteResult{WriteResult::Kind::DiskFull, name, {}, notKept.detail};
    if (copied.kind == WriteResult::Kind::ReadOnly)
        return WriteResult::ofSystemError(name, std::make_error_code(std::errc::read_only_file_system));
    if (!copied.ok())
        return notKept;
    created->append(copyName);
    m_problems.copied(path, copyName);
    return std::nullopt;
}

WriteResult DataFolder::rewrite(const QString& name, const QString& text)
{
    return write({{name, text, Change::Mode::Rewrite}});
}

WriteResult DataFolder::append(const QString& name, const QString& text)
{
    return write({{name, text, Change::Mode::Append}});
}

WriteResult DataFolder::write(const std::vector<Change>& changes)
{
    struct Planned {
        QString name;
        QString path;
        QByteArray bytes;
        std::optional<QByteArray> old; // kept to undo when several files change together
        StagedFile staged;
    };
    if (isReadOnly() && !changes.empty())
        return readOnlyRefusal(changes.front().name);
    std::vector<Planned> plan;
    plan.reserve(changes.size());
    for (const Change& change : changes) {
        if (!isPlainFileName(change.name))
            return {WriteResult::Kind::BadFileName, change.name, {}, {}};
        Planned p;
        p.name = change.name;
        QString bad;
        if (change.bytes)
            p.bytes = *change.bytes;
        else if (!cp932::encode(change.text, &p.bytes, &bad))
            return {WriteResult::Kind::Unstorable, change.name, bad, {}};
        p.path = filePath(change.name);
        plan.push_back(std::move(p));
    }

    const FolderNames::Stamp before = m_names.stamp();
    QStringList created;
    for (Planned& p : plan) {
        // What the program holds of a file it could not read is not the file.
        if (m_problems.unreadable(p.path))
            return {WriteResult::Kind::Io, p.name, {}, u"読み込めなかったファイルです。読めるようにしてから開き直してください"_s};
        if (auto refused = keepDamagedOriginal(p.name, p.path, &created))
            return *refused;
    }
    for (size_t i = 0; i < plan.size(); ++i) {
        Planned& p = plan[i];
        const Change::Mode mode = changes[i].mode;
        if (mode == Change::Mode::Append || plan.size() > 1) {
            QString error;
            p.old = readRegularFile(p.path, &error);
            if (!error.isEmpty())
                return {WriteResult::Kind::Io, p.name, {}, error};
        }
        if (mode == Change::Mode::Append && p.old) {
            const QByteArray kept = withoutEndMarks(*p.old);
            if (!kept.isEmpty() && !kept.endsWith('\n') && !kept.endsWith('\r'))
                p.bytes.prepend("\r\n");
            p.bytes.prepend(kept);
        }
        const WriteResult staged = p.staged.write(p.path, p.bytes);
        if (!staged.ok())
            return {staged.kind, p.name, staged.character, staged.detail};
    }

    // The day's first rewrite of a main file keeps the old file in the history first;
    // should the rewrite not be made, what was kept for it goes again.
    QList<std::pair<QString, QString>> kept; // (file name, copy made)
    struct Forget {
        DailyHistory* history;
        QList<std::pair<QString, QString>>* kept;
        ~Forget()
        {
            for (const auto& [name, made] : std::as_const(*kept))
                history->forget(name, made);
        }
    } forget{m_history.get(), &kept};
    for (const Planned& p : plan) {
        if (!m_history)
            break;
        QString made;
        const QString fileName = QFileInfo(p.path).fileName();
        const WriteResult keptOld = m_history->keepBefore(fileName, &made);
        if (!made.isEmpty())
            kept.append({fileName, made});
        if (!keptOld.ok())
            return {keptOld.kind, p.name, {}, keptOld.detail};
    }

    // Several files are put in place as one: the renames are listed first, so that a kill
    // between two of them is finished at the next start.
    SaveJournal journal;
    if (plan.size() > 1) {
        std::vector<std::pair<QString, QString>> renames;
        for (const Planned& p : plan)
            renames.emplace_back(p.staged.temporaryPath(), p.staged.targetPath());
        const WriteResult listed = journal.write(path(), renames);
        if (!listed.ok())
            return {listed.kind, plan.front().name, {}, listed.detail};
    }
    const StagedFile::Sync sync = plan.size() > 1 ? StagedFile::Sync::Later : StagedFile::Sync::Folder;
    for (size_t i = 0; i < plan.size(); ++i) {
        const WriteResult committed = plan[i].staged.commit(sync);
        if (committed.ok())
            continue;
        // Those already in place get their old contents back, and are not to be put in
        // place again by a next start.
        journal.discard();
        QString undone;
        for (size_t j = 0; j < i; ++j) {
            Planned& p = plan[j];
            bool restored = false;
            if (p.old) {
                StagedFile back;
                restored = back.write(p.path, *p.old).ok() && back.commit().ok();
            } else {
                restored = QFile::remove(p.path);
            }
            if (!restored)
                undone += u"「%1」は書き換わったままです。"_s.arg(p.name);
        }
        WriteResult failed{committed.kind, plan[i].name, {}, committed.detail};
        if (!undone.isEmpty()) {
            // A file left rewritten keeps its old content in the history.
            kept.clear();
            failed.detail = (failed.detail.isEmpty() ? QString() : failed.detail + u"　"_s) + undone;
        }
        return failed;
    }

    journal.close();
    kept.clear();
    for (const Planned& p : plan) {
        m_problems.rewritten(p.path);
        created.append(QFileInfo(p.path).fileName());
    }
    m_names.noteOwnChange(created, {}, before);
    return WriteResult::success();
}

bool DataFolder::remove(const QString& name)
{
    if (!isPlainFileName(name) || isReadOnly())
        return false;
    const QString path = filePath(name);
    if (!QFileInfo::exists(path))
        return true;
    const FolderNames::Stamp before = m_names.stamp();
    if (!QFile::remove(path))
        return false;
    // Nothing unread is left to lose.
    m_problems.readWhole(path);
    m_names.noteOwnChange({}, {QFileInfo(path).fileName()}, before);
    return true;
}

WriteResult DataFolder::writeBytes(const QString& name, QByteArrayView bytes)
{
    if (isReadOnly())
        return readOnlyRefusal(name);
    if (!isPlainFileName(name))
        return {WriteResult::Kind::BadFileName, name, {}, {}};
    const QString path = filePath(name);
    // A link would take the bytes to the file it points to, outside the folder.
    if (QFileInfo(path).isSymLink())
        return {WriteResult::Kind::Io, name, {}, u"別の場所のファイルを指すリンクです"_s};
    const FolderNames::Stamp before = m_names.stamp();
    StagedFile staged;
    WriteResult written = staged.write(path, bytes);
    if (written.ok())
        written = staged.commit();
    if (!written.ok())
        return {written.kind, name, {}, written.detail};
    m_names.noteOwnChange({QFileInfo(path).fileName()}, {}, before);
    return WriteResult::success();
}

WriteResult DataFolder::makeFolder(const QString& name, QString* made)
{
    if (isReadOnly())
        return readOnlyRefusal(name);
    if (!isPlainFileName(name))
        return {WriteResult::Kind::BadFileName, name, {}, {}};
    QString free = name;
    for (int n = 2; QFileInfo::exists(m_dir.absoluteFilePath(free)); ++n)
        free = name + u"_%1"_s.arg(n);
    const FolderNames::Stamp before = m_names.stamp();
    if (!m_dir.mkdir(free))
        return {WriteResult::Kind::Io, free, {}, u"フォルダを作れません"_s};
    // A folder is no file of the listing; the listing only learns it is still current.
    m_names.noteOwnChange({}, {}, before);
    *made = free;
    return WriteResult::success();
}

WriteResult DataFolder::moveInto(const QString& sub, const QStringList& names, QStringList* moved,
                                 const std::function<void(qsizetype, qsizetype)>& progress)
{
    if (isReadOnly())
        return readOnlyRefusal(names.value(0, sub));
    // Every name is found before the first rename, while the listing is current.
    QStringList plain;
    for (const QString& name : names) {
        if (isPlainFileName(name))
            plain.append(name);
    }
    const QStringList onDisk = m_names.filesOnDisk(plain);
    const QDir target(m_dir.absoluteFilePath(sub));
    if (!QFileInfo(target.path()).isDir())
        return {WriteResult::Kind::Io, sub, {}, u"フォルダがありません"_s};
    const FolderNames::Stamp before = m_names.stamp();
    WriteResult result = WriteResult::success();
    QStringList done;
    for (qsizetype i = 0; i < onDisk.size(); ++i) {
        const auto from = m_dir.absoluteFilePath(onDisk[i]).toStdU16String();
        std::error_code error;
        std::filesystem::rename(from, target.absoluteFilePath(onDisk[i]).toStdU16String(), error);
        std::error_code unseen;
        if (!error) {
            done.append(onDisk[i]);
        } else if (error != std::errc::no_such_file_or_directory
                   || std::filesystem::symlink_status(from, unseen).type() != std::filesystem::file_type::not_found) {
            // (A file gone since the folder was listed has nothing left to move.)
            result = {WriteResult::Kind::Io, onDisk[i], {}, QString::fromStdString(error.message())};
            break;
        }
        if (progress)
            progress(i + 1, onDisk.size());
    }
    m_names.noteOwnChange({}, done, before);
    *moved += done;
    return result;
}

QStringList DataFolder::moveBack(const QString& sub, const QStringList& moved)
{
    const QDir source(m_dir.absoluteFilePath(sub));
    const FolderNames::Stamp before = m_names.stamp();
    QStringList back;
    QStringList stuck;
    for (const QString& name : moved) {
        std::error_code error;
        std::filesystem::rename(source.absoluteFilePath(name).toStdU16String(),
                                m_dir.absoluteFilePath(name).toStdU16String(), error);
        (error ? stuck : back).append(name);
    }
    m_names.noteOwnChange(back, {}, before);
    return stuck;
}
