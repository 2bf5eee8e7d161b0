#pragma once

#include <QString>

#include <memory>

class Dialogs;
class Printer;
class QTextDocument;

// The printed page of a song's lyrics: the song as a heading over its artist, then the
// lyrics line by line in a Japanese typeface, long lines wrapped at the paper's width,
// on as many pages as they take (each numbered).
std::unique_ptr<QTextDocument> lyricsPage(const QString& song, const QString& artist, const QString& lyrics);

// The print buttons of both lyrics boxes: after the user confirms, the page goes to the
// printer the user chooses. With no printer, or when printing fails, the user is told so
// and may save the page as a PDF file instead. An empty text prints nothing.
void PrintLyrics(Dialogs& dialogs, Printer& printer, const QString& song, const QString& artist,
                 const QString& lyrics);
