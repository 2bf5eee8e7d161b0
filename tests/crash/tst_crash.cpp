#include "crashcontent.h"

#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/interruptedwork.h"
#include "store/namerules.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kKills = 300;
constexpr quint64 kRewriteSeed = 0x5EED0001;
constexpr quint64 kAppendSeed = 0x5EED0002;
constexpr quint32 kKillSeed = 20240611;
constexpr int kMaxDelayUs = 40000;
// Past this size of its data files a folder is started afresh, so that appending stays
// quick and each start of the writer reads little.
constexpr qint64 kFolderCap = 4 * 1024 * 1024;
constexpr int kFaultsShown = 8;
constexpr int kImportRandomKills = 80;
constexpr int kRestoreRandomKills = 40;

// A write the test itself makes to set a folder up.
#define QVERIFY_RESULT(expr)                                                                       \
    do {                                                                                           \
        const WriteResult written_ = (expr);                                                       \
        if (!written_.ok())                                                                        \
            qFatal("%s: %s", #expr, qPrintable(written_.message()));                               \
    } while (false)

const QString kMasterFile = masterFileName(crash::kMaster);

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A data file as a kill left it, and what it was found to hold.
struct Found {
    bool exists = false;
    QByteArray bytes;
    int level = 0;  // the generation, or the number of whole entries
    QString fault;  // why the bytes are in no whole state, or empty
};

Found look(const QString& path)
{
    Found f;
    f.exists = QFile::exists(path);
    f.bytes = f.exists ? readAll(path) : QByteArray();
    return f;
}

// Entry i of one appended file, kept once built.
class Entries {
public:
    Entries(QString noun, QByteArray (*make)(quint64, int), quint64 seed)
        : m_noun(std::move(noun)), m_make(make), m_seed(seed) { }

    const QByteArray& at(int i)
    {
        while (m_built.size() < i)
            m_built.append(m_make(m_seed, static_cast<int>(m_built.size()) + 1));
        return m_built[i - 1];
    }

    // Whole when the bytes are exactly entries 1..k.
    void judge(Found* f)
    {
        const QByteArray& b = f->bytes;
        qsizetype pos = 0;
        int i = 1;
        for (; pos < b.size(); ++i) {
            const QByteArray& entry = at(i);
            const QByteArrayView rest = QByteArrayView(b).sliced(pos);
            if (rest.startsWith(entry)) {
                pos += entry.size();
                continue;
            }
            if (rest.size() < entry.size() && QByteArrayView(entry).startsWith(rest)) {
                // A block of songs can be cut between two of its records; still only a part.
                f->fault = (rest.endsWith("\r\n") ? u"ends partway through %4 %5 after byte %1: %2 of its %3 bytes are there"_s
                                                    : u"ends in half a record after byte %1: %2 of the %3 bytes of %4 %5 are there"_s)
                               .arg(pos).arg(rest.size()).arg(entry.size()).arg(m_noun).arg(i);
            } else {
                qsizetype d = 0;
                while (d < rest.size() && d < entry.size() && rest[d] == entry[d])
                    ++d;
                f->fault = u"differs from %1 %2 (which begins at byte %3) at byte %4"_s
                               .arg(m_noun).arg(i).arg(pos).arg(pos + d);
            }
            break;
        }
        f->level = i - 1;
    }

private:
    QString m_noun;
    QByteArray (*m_make)(quint64, int);
    quint64 m_seed;
    QList<QByteArray> m_built;
};

// Starts the writer on a folder, kills it at a random moment of its writing, and checks
// what is left: every data file whole, then nothing but the data files after the
// start-up cleanup, which must not touch them. Faults are gathered, and the folder is
// started afresh after one, so that a run shows how often each kind happens.
class KillRun {
public:
    KillRun(QString mode, quint64 seed, QStringList dataFiles)
        : m_mode(std::move(mode)), m_seed(seed), m_dataFiles(std::move(dataFiles)), m_rng(kKillSeed ^ static_cast<quint32>(seed))
    {
    }
    virtual ~KillRun() = default;

    // Returns false (after failing the test) when the writer could not be run at all.
    bool run(int kills)
    {
        QElapsedTimer timer;
        timer.start();
        for (m_kill = 1; m_kill <= kills; ++m_kill) {
            if (!m_dir || folderSize() > kFolderCap) {
                m_dir = std::make_unique<QTemporaryDir>();
                ++m_folders;
                startedAfresh();
            }
            if (!killWriter())
                return false;
            checkFolder();
        }
        m_seconds = timer.elapsed() / 1000.0;
        return true;
    }

    // The figures of the run, and the first faults found, for the test log.
    void report() const
    {
        qInfo().noquote() << u"%1: %2 kills in %3 s (%4 fresh folders); %5; %6 kills left temporary files, "
                             "%7 of them (%8 bytes) all removed by the start-up cleanup; %9 kills found a fault"_s
                                 .arg(m_mode).arg(m_kill - 1).arg(m_seconds, 0, 'f', 1).arg(m_folders).arg(statesSeen())
                                 .arg(m_leftoverKills).arg(m_cleanedKills).arg(m_cleanedBytes).arg(m_faults.size());
        if (m_faults.isEmpty())
            return;
        qInfo().noquote() << u"%1: %2 files cut off partway through a write, %3 temporary files left after the "
                             "start-up cleanup"_s.arg(m_mode).arg(m_cutShort).arg(m_leftAfterCleanup);
        for (const QString& fault : m_faults.mid(0, kFaultsShown))
            qInfo().noquote() << fault;
    }

    QString firstFault() const
    {
        return m_faults.isEmpty() ? QString() : u"%1 of %2 kills found a fault, the first: %3"_s
                                                    .arg(m_faults.size()).arg(m_kill - 1).arg(m_faults.first());
    }

    bool ok() const { return m_faults.isEmpty(); }

protected:
    // Judges each data file as found, noting a fault in Found::fault.
    virtual void judge(std::map<QString, Found>& found) = 0;
    virtual QString statesSeen() const = 0;
    virtual void startedAfresh() { }

    quint64 seed() const { return m_seed; }

private:
    qint64 folderSize() const
    {
        qint64 size = 0;
        for (const QString& name : m_dataFiles)
            size += QFileInfo(m_dir->filePath(name)).size();
        return size;
    }

    QStringList entries() const
    {
        QStringList names = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                          | QDir::System, QDir::Name);
        return names;
    }

    bool killWriter()
    {
        QProcess writer;
        writer.start(QStringLiteral(UTABAKO_CRASH_WRITER), {m_dir->path(), m_mode, QString::number(m_seed)});
        QByteArray out;
        while (!out.contains("ready\n") && writer.waitForReadyRead(10000))
            out += writer.readAllStandardOutput();
        if (!out.contains("ready\n")) {
            writer.kill();
            writer.waitForFinished();
            const QString why = QString::fromLocal8Bit(writer.readAllStandardError());
            QTest::qFail(qPrintable(u"kill %1: the writer did not get ready: %2 %3"_s.arg(m_kill).arg(writer.errorString(), why)),
                         __FILE__, __LINE__);
            return false;
        }
        m_delayUs = static_cast<int>(m_rng.bounded(kMaxDelayUs + 1));
        QThread::usleep(static_cast<unsigned long>(m_delayUs));
        writer.kill();
        writer.waitForFinished();
        if (writer.exitStatus() == QProcess::NormalExit) {
            const QString why = QString::fromLocal8Bit(writer.readAllStandardError());
            QTest::qFail(qPrintable(u"kill %1: the writer ended by itself: %2"_s.arg(m_kill).arg(why)), __FILE__, __LINE__);
            return false;
        }
        return true;
    }

    void checkFolder()
    {
        const QString at = u"kill %1 (%2 ms after ready): "_s.arg(m_kill).arg(m_delayUs / 1000.0, 0, 'f', 1);
        std::map<QString, Found> found;
        for (const QString& name : m_dataFiles)
            found[name] = look(m_dir->filePath(name));
        judge(found);
        QStringList faults;
        for (const auto& [name, f] : found) {
            if (f.fault.isEmpty())
                continue;
            faults.append(at + name + u' ' + f.fault);
            if (f.fault.startsWith(u"ends "_s))
                ++m_cutShort;
        }

        QStringList leftovers;
        qint64 leftoverBytes = 0;
        for (const QString& name : entries()) {
            if (!m_dataFiles.contains(name)) {
                leftovers.append(name);
                leftoverBytes += QFileInfo(m_dir->filePath(name)).size();
            }
        }
        QStringList removed;
        {
            DataFolder folder(m_dir->path());
            for (const QString& name : folder.removeInterruptedSaves())
                removed.append(QFileInfo(name).fileName());
        }
        removed.sort();
        QStringList remaining;
        for (const QString& name : entries()) {
            if (!m_dataFiles.contains(name))
                remaining.append(name);
        }
        m_leftAfterCleanup += static_cast<int>(remaining.size());
        for (const QString& name : remaining) {
            faults.append(at + u"%1 (%2 bytes) was still there after the start-up cleanup"_s
                                   .arg(name).arg(QFileInfo(m_dir->filePath(name)).size()));
        }
        for (const auto& [name, f] : found) {
            const Found after = look(m_dir->filePath(name));
            if (after.exists != f.exists || after.bytes != f.bytes)
                faults.append(at + u"the start-up cleanup changed %1"_s.arg(name));
        }
        if (remaining.isEmpty() && removed != leftovers) {
            faults.append(at + u"the start-up cleanup said it removed [%1] where [%2] were left"_s
                                   .arg(removed.join(u", "_s), leftovers.join(u", "_s)));
        }
        if (!leftovers.isEmpty())
            ++m_leftoverKills;
        if (!leftovers.isEmpty() && remaining.isEmpty()) {
            ++m_cleanedKills;
            m_cleanedBytes += leftoverBytes;
        }
        if (!faults.isEmpty()) {
            m_faults.append(faults.join(u'\n'));
            m_dir.reset();
        }
    }

    QString m_mode;
    quint64 m_seed;
    QStringList m_dataFiles;
    QRandomGenerator m_rng;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_kill = 0;
    int m_delayUs = 0;
    int m_folders = 0;
    int m_leftoverKills = 0;
    int m_cleanedKills = 0;
    qint64 m_cleanedBytes = 0;
    int m_leftAfterCleanup = 0;
    int m_cutShort = 0;
    QStringList m_faults;
    double m_seconds = 0;
};

// The title file rewritten whole, generation after generation.
class RewriteRun : public KillRun {
public:
    RewriteRun() : KillRun(u"rewrite"_s, kRewriteSeed, {files::kTitles}) { }

protected:
    void startedAfresh() override { m_last = 0; }

    void judge(std::map<QString, Found>& found) override
    {
        Found& f = found[files::kTitles];
        if (!f.exists) {
            f.fault = u"is missing"_s;
            return;
        }
        if (!f.bytes.isEmpty()) {
            // Read at the byte level: the file may end in half a character.
            static const QByteArray before = crash::encoded(u"\"第"_s);
            static const QByteArray after = crash::encoded(u"世代の1番\""_s);
            qsizetype end = before.size();
            while (end < f.bytes.size() && end < 16 && std::isdigit(static_cast<unsigned char>(f.bytes[end])))
                ++end;
            if (!f.bytes.startsWith(before) || end == before.size() || f.bytes.indexOf(after, end) != end) {
                f.fault = u"begins with no generation: %1"_s.arg(cp932::decode(f.bytes.left(40)));
                return;
            }
            f.level = f.bytes.mid(before.size(), end - before.size()).toInt();
            const QByteArray& whole = generation(f.level);
            if (f.bytes != whole) {
                if (f.bytes.size() < whole.size() && whole.startsWith(f.bytes)) {
                    f.fault = u"ends after byte %1 of the %2 bytes of generation %3"_s
                                  .arg(f.bytes.size()).arg(whole.size()).arg(f.level);
                } else {
                    qsizetype d = 0;
                    while (d < f.bytes.size() && d < whole.size() && f.bytes[d] == whole[d])
                        ++d;
                    f.fault = u"differs from generation %1 at byte %2 (%3 bytes where it has %4)"_s
                                  .arg(f.level).arg(d).arg(f.bytes.size()).arg(whole.size());
                }
                return;
            }
        }
        if (f.level < m_last)
            f.fault = u"went back from generation %1 to %2"_s.arg(m_last).arg(f.level);
        m_last = f.level;
        m_seen.insert(f.level);
    }

    QString statesSeen() const override
    {
        const int most = m_seen.isEmpty() ? 0 : *std::max_element(m_seen.begin(), m_seen.end());
        return u"%1 distinct generations seen, up to %2"_s.arg(m_seen.size()).arg(most);
    }

private:
    const QByteArray& generation(int g)
    {
        auto it = m_generations.find(g);
        if (it == m_generations.end()) {
            if (m_generations.size() > 4)
                m_generations.erase(m_generations.begin());
            it = m_generations.emplace(g, crash::generationBytes(seed(), g)).first;
        }
        return it->second;
    }

    std::map<int, QByteArray> m_generations;
    QSet<int> m_seen;
    int m_last = 0;
};

// Titles, blocks of songs and master names appended in turn.
class AppendRun : public KillRun {
public:
    AppendRun() : KillRun(u"append"_s, kAppendSeed, {files::kTitles, files::kTracks, kMasterFile}) { }

protected:
    void startedAfresh() override { m_last = {0, 0, 0}; }

    void judge(std::map<QString, Found>& found) override
    {
        const std::array<const QString*, 3> names{&files::kTitles, &files::kTracks, &kMasterFile};
        const std::array<Entries*, 3> entries{&m_titles, &m_songs, &m_names};
        std::array<int, 3> now{};
        for (size_t n = 0; n < names.size(); ++n) {
            Found& f = found[*names[n]];
            // The writer's first start makes the title file; the others come with their first entry.
            if (n == 0 && !f.exists)
                f.fault = u"is missing"_s;
            else
                entries[n]->judge(&f);
            if (f.fault.isEmpty() && f.level < m_last[n])
                f.fault = u"went back from %1 entries to %2"_s.arg(m_last[n]).arg(f.level);
            now[n] = f.level;
        }
        m_last = now;
        m_seen.insert(u"%1/%2/%3"_s.arg(now[0]).arg(now[1]).arg(now[2]));
        m_most = std::max(m_most, now[0] + now[1] + now[2]);
    }

    QString statesSeen() const override
    {
        return u"%1 distinct states seen, up to %2 entries in one folder"_s.arg(m_seen.size()).arg(m_most);
    }

private:
    Entries m_titles{u"title"_s, crash::appendedTitleBytes, kAppendSeed};
    Entries m_songs{u"block of 200 songs"_s, crash::appendedSongsBytes, kAppendSeed};
    Entries m_names{u"name"_s, crash::appendedNameBytes, kAppendSeed};
    std::array<int, 3> m_last{0, 0, 0};
    QSet<QString> m_seen;
    int m_most = 0;
};

// A folder for one run: in memory where the system offers it, since a kill is no
// power cut and waiting on the disk's syncs would only make the run long.
std::unique_ptr<QTemporaryDir> workFolder()
{
    const QString memory = u"/dev/shm"_s;
    if (QFileInfo(memory).isDir() && QFileInfo(memory).isWritable())
        return std::make_unique<QTemporaryDir>(memory + u"/utabako-crash-XXXXXX"_s);
    return std::make_unique<QTemporaryDir>();
}

// Every file under a folder, its subfolders' included, with its bytes (a folder as
// "<path>/").
using Snapshot = std::map<QString, QByteArray>;

Snapshot snapshot(const QString& folder)
{
    Snapshot out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString name = QDir(folder).relativeFilePath(it.filePath());
        out[it.fileInfo().isDir() ? name + u'/' : name] = it.fileInfo().isDir() ? QByteArray() : readAll(it.filePath());
    }
    return out;
}

// How b differs from a, by file name.
QString difference(const Snapshot& a, const Snapshot& b)
{
    QStringList out;
    for (const auto& [name, bytes] : b) {
        const auto it = a.find(name);
        if (it == a.end())
            out.append(u"+"_s + name);
        else if (it->second != bytes)
            out.append(u"~"_s + name);
    }
    for (const auto& [name, bytes] : a) {
        if (!b.count(name))
            out.append(u"-"_s + name);
    }
    return out.join(u' ');
}

// One piece of work of several files (the writer's mode: an import of several albums in
// one write, a deleted title put back), killed before each call that changes or syncs a
// file in turn and at random moments; after the next start's recovery the folder must
// hold nothing of the work or all of it, and doing it again must give the folder an
// uncut run gives.
class AllOrNothingRun {
public:
    AllOrNothingRun(QString mode, quint64 seed)
        : m_mode(std::move(mode)), m_seed(seed) { }
    virtual ~AllOrNothingRun() = default;

    // Returns false (after failing the test) when the writer could not be run.
    bool run(int randomKills)
    {
        QElapsedTimer timer;
        timer.start();
        makeBase(m_baseDir.path());
        m_base = snapshot(m_baseDir.path());
        const auto uncutDir = workFolder();
        const QTemporaryDir& uncut = *uncutDir;
        copyBase(uncut.path());
        QElapsedTimer took;
        took.start();
        if (const QString said = runWriter(uncut.path(), {}); said != u"done"_s)
            return fail(u"the uncut run did not finish: "_s + said);
        m_workUs = took.nsecsElapsed() / 1000;
        m_full = snapshot(uncut.path());
        if (m_full == m_base)
            return fail(u"the uncut run changed nothing"_s);
        // At every call, until the work runs to its end.
        for (int n = 1;; ++n) {
            const auto made = workFolder();
            const QTemporaryDir& dir = *made;
            copyBase(dir.path());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"LD_PRELOAD"_s, QStringLiteral(UTABAKO_CRASH_SHIM));
            env.insert(u"UTABAKO_CRASH_AT"_s, QString::number(n));
            const QString said = runWriter(dir.path(), env);
            if (said == u"done"_s)
                break;
            if (said != u"killed"_s)
                return fail(u"call %1: the writer %2"_s.arg(n).arg(said));
            ++m_calls;
            check(dir.path(), u"killed before call %1"_s.arg(n));
        }
        // At random moments from the start of the work to a little after its end.
        QRandomGenerator rng(kKillSeed);
        for (int k = 1; k <= randomKills; ++k) {
            const auto made = workFolder();
            const QTemporaryDir& dir = *made;
            copyBase(dir.path());
            const int delayUs = static_cast<int>(rng.bounded(static_cast<quint32>(m_workUs * 3 / 2 + 1)));
            runWriter(dir.path(), {}, delayUs);
            check(dir.path(), u"killed %1 ms after ready"_s.arg(delayUs / 1000.0, 0, 'f', 1));
            ++m_random;
        }
        m_seconds = timer.elapsed() / 1000.0;
        return true;
    }

    void report() const
    {
        qInfo().noquote() << u"%1: %2 kills at each call and %3 at random moments in %4 s (an uncut run takes %5 ms); "
                             "%6 left nothing of the work, %7 all of it, %8 saves finished by the next start%9; %10 faults"_s
                                 .arg(m_mode).arg(m_calls).arg(m_random).arg(m_seconds, 0, 'f', 1).arg(m_workUs / 1000.0, 0, 'f', 1)
                                 .arg(m_none).arg(m_all).arg(m_finished).arg(m_told).arg(m_faults.size());
        for (const QString& fault : m_faults.mid(0, kFaultsShown))
            qInfo().noquote() << fault;
    }

    QString firstFault() const
    {
        return m_faults.isEmpty() ? QString() : u"%1 kills found a fault, the first: %2"_s.arg(m_faults.size()).arg(m_faults.first());
    }
    bool ok() const { return m_faults.isEmpty(); }

protected:
    // Writes the folder the work starts from.
    virtual void makeBase(const QString& folder) = 0;
    // What the next start told of the work, given whether the folder holds all of it
    // (else nothing of it): a fault, or nothing.
    virtual QString toldWrongly(const InterruptedWork&, bool) { return {}; }

    QString m_told; // for the report

private:
    bool fail(const QString& why)
    {
        QTest::qFail(qPrintable(why), __FILE__, __LINE__);
        return false;
    }

    void copyBase(const QString& to) const
    {
        for (const auto& [name, bytes] : m_base) {
            if (name.endsWith(u'/')) {
                QDir(to).mkpath(name);
                continue;
            }
            QFile f(QDir(to).filePath(name));
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        }
    }

    // "done", "already" (the folder holds the work), "killed", or what went wrong. With
    // a delay, the writer is killed that long after it is ready.
    QString runWriter(const QString& folder, const QProcessEnvironment& env, int delayUs = -1)
    {
        QProcess writer;
        if (!env.isEmpty())
            writer.setProcessEnvironment(env);
        writer.start(QStringLiteral(UTABAKO_CRASH_WRITER), {folder, m_mode, QString::number(m_seed)});
        if (delayUs >= 0) {
            QByteArray out;
            while (!out.contains("ready\n") && writer.waitForReadyRead(10000))
                out += writer.readAllStandardOutput();
            QThread::usleep(static_cast<unsigned long>(delayUs));
            writer.kill();
        }
        writer.waitForFinished(30000);
        if (writer.exitStatus() == QProcess::CrashExit)
            return u"killed"_s;
        const QByteArray out = writer.readAllStandardOutput();
        if (writer.exitCode() == 0 && out.contains("done\n"))
            return u"done"_s;
        if (writer.exitCode() == 0 && out.contains("already\n"))
            return u"already"_s;
        return u"ended with %1: %2"_s.arg(writer.exitCode()).arg(QString::fromLocal8Bit(writer.readAllStandardError()));
    }

    void check(const QString& folder, const QString& at)
    {
        InterruptedWork work;
        {
            DataFolder data(folder);
            work = finishInterruptedWork(data);
            if (!work.finished.isEmpty())
                ++m_finished;
        }
        const Snapshot after = snapshot(folder);
        if (after == m_base) {
            ++m_none;
        } else if (after == m_full) {
            ++m_all;
        } else {
            m_faults.append(at + u": after the next start the folder holds part of the work: "_s + difference(m_base, after)
                            + u" (an uncut run: "_s + difference(m_base, m_full) + u')');
            return;
        }
        if (const QString wrong = toldWrongly(work, after == m_full); !wrong.isEmpty())
            m_faults.append(at + u": "_s + wrong);
        const QString again = runWriter(folder, {});
        if (again != u"done"_s && again != u"already"_s)
            m_faults.append(at + u": running again: "_s + again);
        else if (const Snapshot redone = snapshot(folder); redone != m_full)
            m_faults.append(at + u": running again differs from an uncut run: "_s + difference(m_full, redone));
    }

    QString m_mode;
    quint64 m_seed;
    QTemporaryDir m_baseDir;
    Snapshot m_base;
    Snapshot m_full;
    qint64 m_workUs = 0;
    int m_calls = 0;
    int m_random = 0;
    int m_none = 0;
    int m_all = 0;
    int m_finished = 0;
    QStringList m_faults;
    double m_seconds = 0;
};

// An import of several albums into a small collection that already holds lyrics of a
// song the import brings.
class ImportRun : public AllOrNothingRun {
public:
    ImportRun() : AllOrNothingRun(u"import"_s, 0x5EED0003) { }

protected:
    void makeBase(const QString& path) override
    {
        DataFolder folder(path);
        QVERIFY_RESULT(SaveTitleFile(folder, {crash::appendedTitle(1, 1), crash::appendedTitle(1, 2)}));
        QVERIFY_RESULT(folder.rewrite(files::kTracks, crash::recordLine({u"古い曲"_s, u"歌手1"_s, u"演歌"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}})));
        QVERIFY_RESULT(folder.rewrite(namerules::lyricsFileName(u"共通の曲"_s, u"歌手2"_s), u"前からある歌詞\r\n"_s));
    }
};

// A deleted title put back (元に戻す): titles A and C, and B as its deletion kept it, its
// track list left in place. The next start must say whether it finished or undid it.
class RestoreRun : public AllOrNothingRun {
public:
    RestoreRun() : AllOrNothingRun(u"restore"_s, 0) { }

protected:
    void makeBase(const QString& path) override
    {
        DataFolder folder(path);
        QVERIFY_RESULT(SaveTitleFile(folder, {crash::appendedTitle(1, 1), crash::appendedTitle(1, 3)}));
        QVERIFY_RESULT(folder.rewrite(files::trackListFile(u"B"_s), u"雨\r\n"_s));
        QDir(path).mkdir(kKept);
        DataFolder kept(QDir(path).filePath(kKept));
        TitleRecord b = crash::appendedTitle(1, 2);
        b.name = u"B"_s;
        QVERIFY_RESULT(kept.rewrite(files::kDeletedRecord, TitleRecordText(b)));
        QVERIFY_RESULT(kept.writeBytes(u"B.jpg"_s, QByteArray(5000, 'j')));
        QVERIFY_RESULT(kept.rewrite(u"B.TXT"_s, u"メモ\r\n"_s));
    }

    QString toldWrongly(const InterruptedWork& work, bool all) override
    {
        if (work.restores.isEmpty())
            return {};
        const bool finished = work.restores.first().finished;
        ++(finished ? m_toldFinished : m_toldUndone);
        m_told = u", %1 told as finished and %2 as undone"_s.arg(m_toldFinished).arg(m_toldUndone);
        const QString said = work.message();
        if (finished == all && said.contains(finished ? u"最後まで済ませました"_s : u"タイトルは元に戻っていません"_s)
            && said.contains(u"「B」"_s))
            return {};
        return u"the folder holds %1 of the work, and the next start said: "_s.arg(all ? u"all"_s : u"nothing"_s) + said;
    }

private:
    const QString kKept = files::kDeletedPrefix + u"20261201_101500"_s;
    int m_toldFinished = 0;
    int m_toldUndone = 0;
};

// Every file and folder under a folder, inside ones too, with the bytes of each file.
Snapshot deepSnapshot(const QString& folder)
{
    Snapshot out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString name = QDir(folder).relativeFilePath(it.filePath());
        out[it.fileInfo().isDir() ? name + u'/' : name] = it.fileInfo().isDir() ? QByteArray() : readAll(it.filePath());
    }
    return out;
}

// "done", "killed", or what went wrong, for a restore of the folder's first history day
// (seed 1) or of its reset (seed 2) killed before call n (never when n is 0).
QString runHistoryRestore(const QString& folder, int n, int seed)
{
    QProcess writer;
    if (n > 0) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LD_PRELOAD"_s, QStringLiteral(UTABAKO_CRASH_SHIM));
        env.insert(u"UTABAKO_CRASH_AT"_s, QString::number(n));
        writer.setProcessEnvironment(env);
    }
    writer.start(QStringLiteral(UTABAKO_CRASH_WRITER), {folder, u"history"_s, QString::number(seed)});
    writer.waitForFinished(30000);
    if (writer.exitStatus() == QProcess::CrashExit)
        return u"killed"_s;
    if (writer.exitCode() == 0 && writer.readAllStandardOutput().contains("done\n"))
        return u"done"_s;
    return u"ended with %1: %2"_s.arg(writer.exitCode()).arg(QString::fromLocal8Bit(writer.readAllStandardError()));
}

} // namespace

// A writer killed at any moment (kill -9) leaves each file of the folder in its state
// before or after the write it was doing, and the next start removes whatever the
// interrupted save left beside them without touching the files themselves.
class TestCrash : public QObject {
    Q_OBJECT

private slots:
    void rewritesKilledMidwayLeaveWholeFiles();
    void appendsKilledMidwayLeaveWholeFiles();
    void importsKilledAnywhereAreAllOrNothing();
    void restoresKilledAnywhereAreAllOrNothing();
    void historyRestoresKilledAnywhereAreAllOrNothing_data();
    void historyRestoresKilledAnywhereAreAllOrNothing();
};

// Runs a writer of the kind given, killed kills times and more, and fails on the first
// state a kill left that is neither before nor after.
template <class Run>
void killAndCheck(int kills)
{
    Run run;
    if (!run.run(kills))
        return;
    run.report();
    QVERIFY2(run.ok(), qPrintable(run.firstFault()));
}

void TestCrash::rewritesKilledMidwayLeaveWholeFiles()
{
    killAndCheck<RewriteRun>(kKills);
}

void TestCrash::appendsKilledMidwayLeaveWholeFiles()
{
    killAndCheck<AppendRun>(kKills);
}

void TestCrash::importsKilledAnywhereAreAllOrNothing()
{
    killAndCheck<ImportRun>(kImportRandomKills);
}

void TestCrash::restoresKilledAnywhereAreAllOrNothing()
{
    killAndCheck<RestoreRun>(kRestoreRandomKills);
}

void TestCrash::historyRestoresKilledAnywhereAreAllOrNothing_data()
{
    QTest::addColumn<int>("seed");
    QTest::newRow("a day of the history") << 1;
    QTest::newRow("a reset undone") << 2;
}

// A day of the history or a reset put back, killed before each call that changes or syncs
// a file in turn: after the next start every file is as before the restore or as after
// it, and the start says which when it found the restore under way.
void TestCrash::historyRestoresKilledAnywhereAreAllOrNothing()
{
    QFETCH(int, seed);
    QTemporaryDir base;
    const std::map<QString, QString> files{
        {u"データ.TXT"_s, u"\"今\",\"歌手\",\"\",\"\",\"\",\"\",\"\"\r\n"_s}, {u"曲目データ.TXT"_s, u"今の曲\r\n"_s},
        {u"歌手マスタ.txt"_s, u"今の歌手\r\n"_s}, {u"今.txt"_s, u"タイトルの文\r\n"_s},
        {u"履歴/20261201/データ.TXT"_s, u"\"朝\",\"歌手\",\"\",\"\",\"\",\"\",\"\"\r\n"_s},
        {u"履歴/20261201/曲目データ.TXT"_s, u"朝の曲\r\n"_s}, {u"履歴/20261203/歌手マスタ.txt"_s, u"三日の歌手\r\n"_s},
        {u"履歴/20261203/データ.TXT"_s, u"\"三日\",\"歌手\",\"\",\"\",\"\",\"\",\"\"\r\n"_s},
        {u"初期化前_20261202_101500/データ.TXT"_s, u"\"前\",\"歌手\",\"\",\"\",\"\",\"\",\"\"\r\n"_s},
        {u"初期化前_20261202_101500/前.jpg"_s, u"絵"_s}, {u"初期化前_20261202_101500/曲目_前.txt"_s, u"前の曲\r\n"_s}};
    for (const auto& [name, text] : files) {
        QVERIFY(QDir(base.path()).mkpath(QFileInfo(name).path()));
        QFile f(base.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(crash::encoded(text)) > 0);
    }
    const Snapshot before = deepSnapshot(base.path());
    const auto copyBase = [&before](const QString& to) {
        for (const auto& [name, bytes] : before) {
            QFile f(QDir(to).filePath(name));
            QVERIFY(name.endsWith(u'/') ? QDir(to).mkpath(name) : f.open(QIODevice::WriteOnly) && f.write(bytes) >= 0);
        }
    };
    const auto uncut = workFolder();
    copyBase(uncut->path());
    QCOMPARE(runHistoryRestore(uncut->path(), 0, seed), u"done"_s);
    const Snapshot after = deepSnapshot(uncut->path());
    QVERIFY(after != before);

    QStringList faults;
    int kills = 0;
    int finished = 0;
    int undone = 0;
    for (int n = 1;; ++n) {
        const auto dir = workFolder();
        copyBase(dir->path());
        const QString said = runHistoryRestore(dir->path(), n, seed);
        if (said == u"done"_s)
            break;
        QCOMPARE(said, u"killed"_s);
        ++kills;
        InterruptedWork work;
        {
            DataFolder data(dir->path());
            work = finishInterruptedWork(data);
        }
        const Snapshot found = deepSnapshot(dir->path());
        // Nothing found under way, or a restore the start says it finished or undid.
        const bool quiet = work.collectionRestores.isEmpty();
        const bool told = !quiet && !work.message().isEmpty();
        if (found == before && (quiet || (told && !work.collectionRestores.first().finished)))
            undone += quiet ? 0 : 1;
        else if (found == after && (quiet || (told && work.collectionRestores.first().finished)))
            finished += quiet ? 0 : 1;
        else
            faults.append(u"killed before call %1 (%2): against before %3; against after %4"_s.arg(n).arg(
                quiet ? u"nothing found"_s : work.collectionRestores.first().finished ? u"said finished"_s : u"said undone"_s,
                difference(before, found), difference(after, found)));
    }
    qInfo().noquote() << u"history restore: %1 kills at each call; %2 finished and %3 undone by the next start, which said so; %4 faults"_s
                             .arg(kills).arg(finished).arg(undone).arg(faults.size());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.value(0)));
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
