#include "restore.h"

#include "collectionfiles.h"
#include "datafolder.h"
#include "filelisting.h"
#include "regularfile.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace restore {

namespace {

// Named as no title's file can be. It lies in the data folder itself, so that a start
// finds it by its name, looking at no other entry of the folder.
const QString kMark = u"~utabako-restoring.tmp"_s;
// The mark a deletion or a reset leaves in its folder while under way.
const QString kSetAsideMark = u"~utabako-unfinished.tmp"_s;
const QByteArray kMarkHead = "utabako-restoring 1\n";
const QByteArray kMarkEnd = "end\n";
// Files moved per call, so that the progress bar moves.
constexpr qsizetype kChunk = 64;

// What a restore does, as its mark holds it: enough to finish it or undo it.
struct Mark {
    QString what;
    QString folder; // where today's replaced files go
    Way way = Way::Copy;
    QList<Piece> pieces;
    QStringList aside; // today's files replaced, as spelt on disk
};

QByteArray markText(const Mark& mark)
{
    QByteArray text = kMarkHead + "what\t" + mark.what.toUtf8() + "\nfolder\t" + mark.folder.toUtf8() + '\n';
    text += mark.way == Way::Move ? "way\tmove\n" : "way\tcopy\n";
    for (const Piece& piece : mark.pieces)
        text += "put\t" + piece.folder.toUtf8() + '\t' + piece.name.toUtf8() + '\n';
    for (const QString& name : mark.aside)
        text += "aside\t" + name.toUtf8() + '\n';
    return text + kMarkEnd;
}

std::optional<Mark> readMark(const QString& path)
{
    if (QFileInfo(path).isSymLink())
        return std::nullopt;
    const std::optional<QByteArray> text = readRegularFile(path, nullptr, 64 * 1024 * 1024);
    if (!text || !text->startsWith(kMarkHead) || !text->endsWith(kMarkEnd))
        return std::nullopt;
    Mark mark;
    const QByteArray body = text->sliced(kMarkHead.size(), text->size() - kMarkHead.size() - kMarkEnd.size());
    for (const QByteArray& line : body.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() == 2 && f[0] == "what")
            mark.what = QString::fromUtf8(f[1]);
        else if (f.size() == 2 && f[0] == "folder")
            mark.folder = QString::fromUtf8(f[1]);
        else if (f.size() == 2 && f[0] == "way")
            mark.way = f[1] == "move" ? Way::Move : Way::Copy;
        else if (f.size() == 3 && f[0] == "put")
            mark.pieces.append({QString::fromUtf8(f[1]), QString::fromUtf8(f[2])});
        else if (f.size() == 2 && f[0] == "aside")
            mark.aside.append(QString::fromUtf8(f[1]));
    }
    return mark;
}

// A folder inside the data folder, given as "a" or "a/b": never "..", never absolute.
bool isInnerFolder(const QString& sub)
{
    if (sub.isEmpty() || sub.startsWith(u'/'))
        return false;
    for (const QString& part : sub.split(u'/')) {
        if (!DataFolder::isPlainFileName(part))
            return false;
    }
    return true;
}

// A regular file, never one reached through a link.
bool isRegular(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

bool isEntry(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QStringList filesIn(const QDir& dir)
{
    QStringList out;
    for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
        if (name != kMark && name != kSetAsideMark && !isTemporarySaveName(name))
            out.append(name);
    }
    return out;
}

WriteResult failure(const QString& name, const QString& why)
{
    return {WriteResult::Kind::Io, name, {}, why};
}

// Takes the restore from wherever it stands to its end; each step is one that a kill may
// have cut short, and is looked at again before it is made.
WriteResult advance(DataFolder& folder, const QString& aside, const Mark& mark,
                    const std::function<void(qsizetype, qsizetype)>& progress)
{
    const QDir data(folder.path());
    const QDir asideDir(data.filePath(aside));
    const qsizetype total = mark.aside.size() + mark.pieces.size();
    qsizetype done = 0;
    const auto step = [&](qsizetype n) {
        done += n;
        if (progress)
            progress(done, total);
    };

    QStringList toMove;
    for (const QString& name : mark.aside) {
        if (!isEntry(asideDir.filePath(name)) && folder.exists(name))
            toMove.append(name);
        else
            step(1);
    }
    for (qsizetype i = 0; i < toMove.size(); i += kChunk) {
        QStringList moved;
        const QStringList chunk = toMove.mid(i, kChunk);
        const WriteResult result = folder.moveInto(aside, chunk, &moved);
        if (!result.ok())
            return result;
        step(chunk.size());
    }

    if (mark.way == Way::Move) {
        QHash<QString, QStringList> pending; // by the folder that keeps them
        QStringList folders;
        for (const Piece& piece : mark.pieces) {
            if (!isRegular(data.filePath(piece.folder + u'/' + piece.name))) {
                step(1);
                continue;
            }
            // Check at writing time: a file that came meanwhile is never replaced.
            if (folder.exists(piece.name))
                return failure(piece.name, u"同じ名前のファイルがデータフォルダにあります"_s);
            if (!pending.contains(piece.folder))
                folders.append(piece.folder);
            pending[piece.folder].append(piece.name);
        }
        for (const QString& sub : std::as_const(folders)) {
            const QStringList& names = pending[sub];
            for (qsizetype i = 0; i < names.size(); i += kChunk) {
                const QStringList chunk = names.mid(i, kChunk);
                const QStringList stuck = folder.moveBack(sub, chunk);
                if (!stuck.isEmpty())
                    return failure(stuck.first(), u"「%1」フォルダから戻せませんでした"_s.arg(sub));
                step(chunk.size());
            }
        }
    } else {
        for (const Piece& piece : mark.pieces) {
            // Already there: the copy was made before (a copy is put in place whole).
            if (!folder.exists(piece.name)) {
                QString error;
                const std::optional<QByteArray> bytes =
                    readRegularFile(data.filePath(piece.folder + u'/' + piece.name), &error);
                if (!bytes)
                    return failure(piece.name, error.isEmpty() ? u"「%1」フォルダにありません"_s.arg(piece.folder) : error);
                const WriteResult written = folder.writeBytes(piece.name, *bytes);
                if (!written.ok())
                    return written;
            }
            step(1);
        }
    }
    return WriteResult::success();
}

// Puts everything back as it was before the restore; gives the files that could not be.
QStringList rollBack(DataFolder& folder, const QString& aside, const Mark& mark)
{
    const QDir data(folder.path());
    const QDir asideDir(data.filePath(aside));
    QStringList stuck;
    QHash<QString, QString> asideOnDisk;
    for (const QString& name : mark.aside)
        asideOnDisk.insert(foldLetterCase(name), name);
    if (mark.way == Way::Move) {
        QHash<QString, QStringList> back;
        for (const Piece& piece : mark.pieces) {
            if (!isEntry(data.filePath(piece.folder + u'/' + piece.name)) && folder.exists(piece.name))
                back[piece.folder].append(piece.name);
        }
        for (auto it = back.cbegin(); it != back.cend(); ++it) {
            // A start-up may have removed the folder once it stood empty.
            data.mkpath(it.key());
            QStringList moved;
            if (!folder.moveInto(it.key(), it.value(), &moved).ok())
                stuck += it.value().mid(moved.size());
        }
    } else {
        for (const Piece& piece : mark.pieces) {
            // The file there now is the copy when today's was set aside, or there was none.
            const auto today = asideOnDisk.constFind(foldLetterCase(piece.name));
            const bool copy = today == asideOnDisk.cend() || isEntry(asideDir.filePath(*today));
            if (copy && folder.exists(piece.name) && !folder.remove(piece.name))
                stuck.append(piece.name);
        }
    }
    QStringList back;
    for (const QString& name : filesIn(asideDir))
        (folder.exists(name) ? stuck : back).append(name);
    stuck += folder.moveBack(aside, back);
    syncFolder(asideDir.path());
    syncFolder(data.path());
    folder.remove(kMark);
    syncFolder(data.path());
    if (asideDir.isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        data.rmdir(aside);
    return stuck;
}

// The end of a restore: on the disk, its mark gone, empty folders gone.
void finish(DataFolder& folder, const QString& aside, const Mark& mark)
{
    const QDir data(folder.path());
    syncFolder(data.path());
    syncFolder(data.filePath(aside));
    folder.remove(kMark);
    syncFolder(data.path());
    data.rmdir(aside); // only when nothing was replaced
    if (mark.way == Way::Move) {
        QSet<QString> emptied;
        for (const Piece& piece : mark.pieces)
            emptied.insert(piece.folder);
        for (const QString& sub : emptied)
            data.rmdir(sub);
    }
}

} // namespace

QList<Piece> piecesOf(const DataFolder& folder, const QString& sub)
{
    QList<Piece> out;
    const QDir dir(QDir(folder.path()).filePath(sub));
    if (!isInnerFolder(sub) || QFileInfo(dir.path()).isSymLink())
        return out;
    for (const QString& name : filesIn(dir)) {
        if (isRegular(dir.filePath(name)))
            out.append({sub, name});
    }
    return out;
}

WriteResult putBack(DataFolder& folder, const QString& what, Way way, const QList<Piece>& pieces,
                    const QStringList& alsoAside, const QDateTime& when, QString* setAside, QString* note, const std::function<void(qsizetype, qsizetype)>& progress)
{
    setAside->clear();
    note->clear();
    if (pieces.isEmpty())
        return WriteResult::success();
    if (folder.isReadOnly())
        return folder.readOnlyRefusal(pieces.first().name);
    const QDir data(folder.path());
    Mark mark{what, {}, way, pieces, {}};
    QSet<QString> seen;
    for (const Piece& piece : pieces) {
        if (!isInnerFolder(piece.folder) || !DataFolder::isPlainFileName(piece.name))
            return {WriteResult::Kind::BadFileName, piece.name, {}, {}};
        if (!isRegular(data.filePath(piece.folder + u'/' + piece.name)))
            return failure(piece.name, u"「%1」フォルダにありません"_s.arg(piece.folder));
        // A folder is never set aside, nor replaced.
        if (QFileInfo(folder.filePath(piece.name)).isDir())
            return failure(piece.name, u"同じ名前のフォルダがデータフォルダにあります"_s);
    }
    QStringList replaced;
    for (const Piece& piece : pieces)
        replaced.append(piece.name);
    for (const QString& name : replaced + alsoAside) {
        if (DataFolder::isPlainFileName(name) && folder.exists(name) && !seen.contains(foldLetterCase(name))) {
            seen.insert(foldLetterCase(name));
            mark.aside.append(QFileInfo(folder.filePath(name)).fileName());
        }
    }
    // The mark first, naming the folder the work is to use; only then the folder.
    const QString name = files::kRestorePrefix + when.toString(u"yyyyMMdd_HHmmss"_s);
    QString aside = name;
    for (int n = 2; isEntry(data.filePath(aside)); ++n)
        aside = name + u"_%1"_s.arg(n);
    mark.folder = aside;
    WriteResult result = folder.writeBytes(kMark, markText(mark));
    if (!result.ok())
        return result;
    QString made;
    result = folder.makeFolder(aside, &made);
    if (!result.ok() || made != aside) {
        if (result.ok())
            data.rmdir(made);
        folder.remove(kMark);
        return result.ok() ? failure(aside, u"フォルダを作れません"_s) : result;
    }
    result = advance(folder, aside, mark, progress);
    if (!result.ok()) {
        const QStringList stuck = rollBack(folder, aside, mark);
        if (!stuck.isEmpty())
            *note = u"\r\n\r\n次のファイルは元の場所に戻せませんでした（「%1」フォルダにあります）:\r\n"_s.arg(aside)
                + stuck.join(u"\r\n"_s);
        return result;
    }
    finish(folder, aside, mark);
    if (QFileInfo(data.filePath(aside)).isDir())
        *setAside = aside;
    return result;
}

QList<Unfinished> finishUnfinished(DataFolder& folder)
{
    if (!folder.exists(kMark))
        return {};
    const std::optional<Mark> mark = readMark(folder.filePath(kMark));
    // A mark is written whole; one that is not this program's is left alone.
    if (!mark || !isInnerFolder(mark->folder))
        return {};
    // Cut short before its folder was made: nothing was moved.
    if (!QFileInfo(QDir(folder.path()).filePath(mark->folder)).isDir()) {
        folder.remove(kMark);
        return {};
    }
    Unfinished work{mark->what, mark->folder, false};
    // Finished where it can be; undone where it cannot.
    if (advance(folder, mark->folder, *mark, {}).ok()) {
        finish(folder, mark->folder, *mark);
        work.finished = true;
    } else {
        rollBack(folder, mark->folder, *mark);
    }
    return {work};
}

} // namespace restore
