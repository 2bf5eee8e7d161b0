#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

class QFontMetrics;

// Japanese text laid out for a box of a given width, so that lines break where a reader
// expects: the text's own line ends stay; a line too wide breaks at the last place that
// fits after a space or after 、。！？ and closing brackets, else between two characters
// that are not one word of Latin letters or digits, and only where nothing else fits,
// anywhere. A line never starts with 、。 or a closing bracket, and never ends with an
// opening one; the spaces where a line breaks are dropped.
QStringList brokenLines(const QString& text, int width, const std::function<int(QStringView)>& advance);
QStringList brokenLines(const QString& text, int width, const QFontMetrics& metrics);

// The width of the widest line.
int widestLine(const QStringList& lines, const QFontMetrics& metrics);
