#pragma once

#include "store/titletable.h"
#include "tracks/trackrules.h"

#include <QString>

#include <functional>
#include <vector>

// The collection as a web page a browser shows and prints without the program: one
// index.html with every title in main order (its fields, its track list, a thumbnail of
// its cover linked to a copy of the cover), the pictures in a subfolder and one small
// style sheet; UTF-8, no script, every text escaped.
namespace htmlcatalogue {

// What the catalogue shows of one title, gathered on the screen's thread.
struct Entry {
    TitleRecord title;
    bool compilation = false;
    std::vector<trackrules::Track> tracks;
    // The picture the main screen shows for the title, or empty.
    QString coverPath;
};

inline const QString kIndex = QStringLiteral("index.html");
inline const QString kStyle = QStringLiteral("style.css");
inline const QString kPictures = QStringLiteral("pictures");

// The page; pictures[i] is entry i's cover copy in kPictures ("0001.jpg"), or empty.
QString page(const std::vector<Entry>& entries, const QStringList& pictures);
QString styleSheet();

// Why the catalogue cannot go to target, or an empty text: a link under that name (what
// it points to is never emptied) or a file that is no folder.
QString targetRefusal(const QString& target);

// Writes the catalogue into the folder target (whose parent must exist), whole or not at
// all: it is made in a folder beside target, every file forced to the disk, and takes
// target's place only when complete; a folder already there is replaced, and a kill at
// any moment leaves the old catalogue or the new one. What an earlier export killed in
// the same folder left beside target is cleared first. progress(done, total) is called
// as titles are done. Returns an empty text, or what went wrong, told about target.
QString write(const std::vector<Entry>& entries, const QString& target,
              const std::function<void(int, int)>& progress = {});

} // namespace htmlcatalogue
