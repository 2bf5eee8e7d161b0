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

// Writes the catalogue into the folder target (whose parent must exist), whole or not at
// all: it is made in a folder beside target and takes target's place only when complete;
// a folder already there is replaced. progress(done, total) is called as titles are done.
// Returns an empty text, or what went wrong.
QString write(const std::vector<Entry>& entries, const QString& target,
              const std::function<void(int, int)>& progress = {});

} // namespace htmlcatalogue
