#include "historyrules.h"

#include "store/collectionfiles.h"
#include "store/cp932.h"
#include "store/dailyhistory.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/masterlist.h"
#include "store/readings.h"
#include "store/recordfile.h"
#include "store/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace historyrules {

namespace {

std::optional<std::vector<TitleRecord>> titlesAt(const QString& path)
{
    const std::optional<QByteArray> bytes = readRegularFile(path);
    if (!bytes)
        return std::nullopt;
    return ParseRecordText<TitleRecord>(files::kTitles, cp932::decode(*bytes), TitleRecord::kFieldCount, [](QString* f) {
               return TitleRecord{std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3]),
                                  std::move(f[4]), std::move(f[5]), std::move(f[6])};
           })
        .records;
}

// Names enough to recognise, without filling the screen.
QString namesOf(const QStringList& names)
{
    constexpr qsizetype kShown = 30;
    QString text = u"　"_s + names.mid(0, kShown).join(u"\r\n　"_s);
    if (names.size() > kShown)
        text += u"\r\n　ほか %1 件"_s.arg(names.size() - kShown);
    return text;
}

} // namespace

QStringList keptFiles()
{
    QStringList names{files::kTitles, files::kTracks, files::kSettings, readingfile::kName};
    for (const Master m : {Master::Artist, Master::TitleGenre, Master::Media, Master::SongGenre, Master::Lyricist,
                           Master::Composer, Master::Arranger})
        names.append(masterFileName(m));
    return names;
}

QList<KeptFolder> keptFolders(const DataFolder& folder)
{
    static const QRegularExpression named(u"^(初期化前|戻す前)_(\\d{8}_\\d{6})(_\\d+)?$"_s);
    const QDir data(folder.path());
    QList<KeptFolder> out;
    for (const QString& sub : data.entryList({files::kResetPrefix + u'*', files::kRestorePrefix + u'*'},
                                             QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = named.match(sub);
        if (!m.hasMatch())
            continue;
        KeptFolder kept{sub, QDateTime::fromString(m.captured(2), u"yyyyMMdd_HHmmss"_s), m.captured(1) == u"初期化前"_s, 0};
        // A folder that holds nothing (its work cut short before it began) has nothing to give back.
        const QList<restore::Piece> pieces = restore::piecesOf(folder, sub);
        if (pieces.isEmpty())
            continue;
        if (const auto titles = keptTitles(folder, pieces))
            kept.titles = static_cast<int>(titles->size());
        out.append(kept);
    }
    std::sort(out.begin(), out.end(), [](const KeptFolder& a, const KeptFolder& b) {
        return a.when != b.when ? a.when > b.when : a.folder > b.folder;
    });
    return out;
}

QList<restore::Piece> dayPieces(const DataFolder& folder, const QDate& day)
{
    QList<QDate> days = DailyHistory::days(folder.path());
    std::sort(days.begin(), days.end());
    QList<restore::Piece> out;
    QSet<QString> taken;
    for (const QDate& d : std::as_const(days)) {
        if (d < day)
            continue;
        const QString sub = DailyHistory::dayFolder(d);
        for (const restore::Piece& piece : restore::piecesOf(folder, sub)) {
            if (!taken.contains(foldLetterCase(piece.name))) {
                taken.insert(foldLetterCase(piece.name));
                out.append(piece);
            }
        }
    }
    return out;
}

std::optional<std::vector<TitleRecord>> keptTitles(const DataFolder& folder, const QList<restore::Piece>& pieces)
{
    const QString titles = foldLetterCase(files::kTitles);
    for (const restore::Piece& piece : pieces) {
        if (foldLetterCase(piece.name) == titles)
            return titlesAt(QDir(folder.path()).filePath(piece.folder + u'/' + piece.name)).value_or(std::vector<TitleRecord>{});
    }
    return std::nullopt;
}

Difference compare(const std::vector<TitleRecord>& then, const std::vector<TitleRecord>& now)
{
    QHash<QString, const TitleRecord*> before;
    for (const TitleRecord& t : then)
        before.insert(t.name, &t);
    QSet<QString> present;
    Difference out;
    for (const TitleRecord& t : now) {
        present.insert(t.name);
        const auto it = before.constFind(t.name);
        if (it == before.cend())
            out.added.append(t.name);
        else if (!(**it == t))
            out.changed.append(t.name);
    }
    QStringList thenOrder;
    for (const TitleRecord& t : then) {
        if (!present.contains(t.name))
            out.removed.append(t.name);
        else
            thenOrder.append(t.name);
    }
    QStringList nowOrder;
    for (const TitleRecord& t : now) {
        if (before.contains(t.name))
            nowOrder.append(t.name);
    }
    out.reordered = thenOrder != nowOrder;
    out.removed.removeDuplicates();
    out.changed.removeDuplicates();
    out.added.removeDuplicates();
    return out;
}

QString describe(const Difference& difference)
{
    if (difference.none())
        return u"タイトルは今と同じです。"_s;
    QStringList parts;
    parts.append(u"今との違い：追加 %1 件、削除 %2 件、変更 %3 件"_s.arg(difference.added.size())
                     .arg(difference.removed.size())
                     .arg(difference.changed.size()));
    if (difference.reordered)
        parts.append(u"タイトルの並び順が今と違います（戻すとこの日の並び順になります）。"_s);
    if (!difference.added.isEmpty())
        parts.append(u"この日のあとに追加したタイトル（戻すとなくなります）:\r\n"_s + namesOf(difference.added));
    if (!difference.removed.isEmpty())
        parts.append(u"この日のあとに削除したタイトル（戻すと一覧に戻ります）:\r\n"_s + namesOf(difference.removed));
    if (!difference.changed.isEmpty())
        parts.append(u"この日のあとに変更したタイトル:\r\n"_s + namesOf(difference.changed));
    return parts.join(u"\r\n\r\n"_s);
}

} // namespace historyrules
