#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A list taken out as a CSV file that spreadsheets open as they are: fields separated
// by commas, a field holding a comma, double quote or line break quoted with its quotes
// doubled, every line ended by CR LF; in UTF-8 with a byte order mark (so that Excel
// reads Japanese right) or in CP932. A field a spreadsheet would take for a formula
// (one starting with = + - @, their full-width forms, a tab or a CR) is written quoted
// with an apostrophe before it, so that it is shown as text and never evaluated.
namespace csvexport {

enum class Encoding { Utf8Bom, Cp932 };

bool startsLikeFormula(const QString& text);
QString field(const QString& text);
// The header line, then one line per row; each line ends in CR LF.
QString table(const QStringList& header, const std::vector<QStringList>& rows);

// The text as bytes in encoding; nothing when a character has no CP932 form, or has
// only a look-alike's (〜, −, ¥ read back as ～, －, ￥), and *bad then holds it. No
// character is ever written as a stand-in.
std::optional<QByteArray> encode(const QString& text, Encoding encoding, QString* bad = nullptr);

} // namespace csvexport
