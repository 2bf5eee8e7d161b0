#include "htmlcatalogue.h"

#include "store/regularfile.h"
#include "store/stagedfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace htmlcatalogue {

namespace {

constexpr int kThumbnail = 120;
// Larger files are no cover (as the cover box reads them).
constexpr qint64 kLargestCover = 256LL * 1024 * 1024;

QString text(const QString& s)
{
    return s.toHtmlEscaped();
}

// Attribute values are always written in double quotes; toHtmlEscaped turns those into
// entities, and a single quote is written as one too.
QString attribute(const QString& s)
{
    QString out = s.toHtmlEscaped();
    out.replace(u"'"_s, u"&#39;"_s);
    return out;
}

QString thumbnailName(const QString& picture)
{
    return QFileInfo(picture).completeBaseName() + u"_s.jpg"_s;
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = u"「%1」に書き込めませんでした（%2）。"_s.arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString styleSheet()
{
    return uR"(body { font-family: "Noto Sans CJK JP", "Hiragino Sans", "Yu Gothic", "Meiryo", sans-serif;
       margin: 2em auto; max-width: 60em; padding: 0 1em; color: #222; background: #fff; line-height: 1.5; }
h1 { font-size: 1.6em; border-bottom: 2px solid #456; padding-bottom: .3em; margin-bottom: .2em; }
.summary { color: #666; margin-top: 0; }
.title { display: flex; gap: 1.2em; padding: 1em 0; border-bottom: 1px solid #ccc; break-inside: avoid; }
.cover, .nocover { flex: 0 0 120px; width: 120px; height: 120px; display: flex; align-items: center;
       justify-content: center; border: 1px solid #ccc; background: #f6f6f6; }
.nocover { color: #999; font-size: .85em; }
.cover img { max-width: 120px; max-height: 120px; }
.body { flex: 1; min-width: 0; }
h2 { font-size: 1.2em; margin: 0 0 .3em; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: .1em 1em; margin: 0 0 .5em; }
dt { color: #666; }
dd { margin: 0; }
.memo { white-space: pre-wrap; }
ol { margin: 0; padding-left: 2.5em; columns: 2; column-gap: 2em; }
li .artist { color: #666; }
@media print {
  body { margin: 0; max-width: none; font-size: 10pt; }
  a { color: inherit; text-decoration: none; }
  .title { page-break-inside: avoid; }
}
)"_s;
}

QString page(const std::vector<Entry>& entries, const QStringList& pictures)
{
    QString out;
    out += u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
           "<title>ウタバコ カタログ</title>\n<link rel=\"stylesheet\" href=\"style.css\"/>\n</head>\n<body>\n"
           "<h1>ウタバコ カタログ</h1>\n"_s;
    out += u"<p class=\"summary\">タイトル %1 件</p>\n"_s.arg(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const TitleRecord& t = e.title;
        out += u"<section class=\"title\" id=\"t%1\">\n"_s.arg(i + 1);
        const QString picture = pictures.value(static_cast<qsizetype>(i));
        if (picture.isEmpty()) {
            out += u"<div class=\"nocover\">画像なし</div>\n"_s;
        } else {
            const QString folder = kPictures + u'/';
            out += u"<a class=\"cover\" href=\"%1\"><img src=\"%2\" alt=\"%3\"/></a>\n"_s.arg(
                attribute(folder + picture), attribute(folder + thumbnailName(picture)),
                attribute(u"%1 のジャケット画像"_s.arg(t.name)));
        }
        out += u"<div class=\"body\">\n<h2>%1</h2>\n<dl>\n"_s.arg(text(t.name));
        const std::pair<QString, QString> fields[] = {{u"アーティスト"_s, t.artist}, {u"ジャンル"_s, t.genre},
                                                      {u"評価"_s, t.rating},         {u"メディア"_s, t.media},
                                                      {u"日付け"_s, t.date}};
        for (const auto& [caption, value] : fields)
            out += u"<dt>%1</dt><dd>%2</dd>\n"_s.arg(caption, text(value));
        if (!t.memo.isEmpty())
            out += u"<dt>メモ</dt><dd class=\"memo\">%1</dd>\n"_s.arg(text(t.memo));
        out += u"</dl>\n"_s;
        if (!e.tracks.empty()) {
            out += u"<ol>\n"_s;
            for (const trackrules::Track& track : e.tracks) {
                out += u"<li>"_s + text(track.song);
                if (e.compilation)
                    out += u"<span class=\"artist\"> / %1</span>"_s.arg(text(track.artist));
                out += u"</li>\n"_s;
            }
            out += u"</ol>\n"_s;
        }
        out += u"</div>\n</section>\n"_s;
    }
    out += u"</body>\n</html>\n"_s;
    return out;
}

QString write(const std::vector<Entry>& entries, const QString& target, const std::function<void(int, int)>& progress)
{
    const QFileInfo targetInfo(target);
    QDir parent = targetInfo.absoluteDir();
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString building = parent.filePath(u".%1.new-%2"_s.arg(targetInfo.fileName(), pid));
    const QString aside = parent.filePath(u".%1.old-%2"_s.arg(targetInfo.fileName(), pid));
    QDir(building).removeRecursively();
    QString error;
    auto fail = [&](const QString& why) {
        QDir(building).removeRecursively();
        return why;
    };
    if (!parent.mkpath(building) || !QDir(building).mkpath(kPictures))
        return fail(u"「%1」にフォルダを作れませんでした。"_s.arg(QDir::toNativeSeparators(parent.absolutePath())));
    const QDir pictureFolder(QDir(building).filePath(kPictures));

    QStringList pictures;
    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total; ++i) {
        const Entry& e = entries[static_cast<size_t>(i)];
        QString name;
        if (!e.coverPath.isEmpty()) {
            // Only a regular file of a cover's size is read: a pipe under a cover's name
            // would wait for ever.
            const std::optional<QByteArray> read = readRegularFile(e.coverPath, nullptr, kLargestCover);
            QImage image;
            if (read) {
                const QByteArray& bytes = *read;
                if (image.loadFromData(bytes)) {
                    name = u"%1.%2"_s.arg(i + 1, 4, 10, QChar(u'0')).arg(QFileInfo(e.coverPath).suffix().toLower());
                    const QImage small = image.scaled(kThumbnail, kThumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                    if (!writeFile(pictureFolder.filePath(name), bytes, &error)
                        || !small.save(pictureFolder.filePath(thumbnailName(name)), "JPG", 85))
                        return fail(error.isEmpty() ? u"縮小画像を書き込めませんでした。"_s : error);
                }
            }
        }
        pictures.append(name);
        if (progress)
            progress(i + 1, total);
    }
    if (!writeFile(QDir(building).filePath(kIndex), page(entries, pictures).toUtf8(), &error)
        || !writeFile(QDir(building).filePath(kStyle), styleSheet().toUtf8(), &error))
        return fail(error);
    syncFolder(building);

    // The complete catalogue takes the place of the old one; the old one goes only then.
    const bool replacing = targetInfo.exists();
    if (replacing && !parent.rename(target, aside))
        return fail(u"「%1」を置き換えられませんでした。"_s.arg(QDir::toNativeSeparators(target)));
    if (!parent.rename(building, target)) {
        if (replacing)
            parent.rename(aside, target);
        return fail(u"「%1」を書き出せませんでした。"_s.arg(QDir::toNativeSeparators(target)));
    }
    if (replacing)
        QDir(aside).removeRecursively();
    syncFolder(parent.absolutePath());
    return {};
}

} // namespace htmlcatalogue
