#pragma once

#include <QByteArray>
#include <QString>

// Windows code page 932 (Shift-JIS with the NEC and IBM extensions), the encoding of
// every text file of the collection. Qt's own converters either lack it or refuse the
// characters that Windows quietly maps to look-alikes, so the program carries its own.
namespace cp932 {

// Decodes bytes. A byte that starts no CP932 character is kept as the lone surrogate
// U+DC00 + byte, so that a damaged file written back still holds its original bytes;
// *firstBad (if given) receives the offset of the first such byte, or -1.
QString decode(QByteArrayView bytes, qsizetype* firstBad = nullptr);

// Encodes text. Returns false when a character has no CP932 form; *bad then holds that
// character (both halves of a surrogate pair for characters beyond the BMP) and *out is
// unspecified. A character with several codes is written in the one Windows writes,
// unless that would join a kept byte just before it into another character; so whatever
// decode() read is written back to bytes that read back as the same text.
bool encode(QStringView text, QByteArray* out, QString* bad = nullptr);

// Whether c, written right after a byte that decode() kept (as the character kept),
// reads back as itself rather than joining that byte into another character. Always
// true when kept is no kept byte.
bool keepsApart(QChar kept, QChar c);

// The first character of text that cannot be stored, or an empty string.
QString firstUnstorable(QStringView text);

// Text as it reads back after being stored: each character that CP932 keeps as
// another one (〜 as ～, − as －, ¥ as ￥) replaced by that one. Characters CP932 cannot
// hold stay, so that refusing them can name them.
QString storedForm(QStringView text);

} // namespace cp932
