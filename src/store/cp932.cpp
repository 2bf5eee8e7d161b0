#include "cp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace cp932 {
namespace {

constexpr int kTrailFirst = 0x40;
constexpr int kTrailCount = 0xFD - kTrailFirst;

const std::uint16_t kDoubleByte[][kTrailCount] = {
#include "cp932table.inc"
};

constexpr char16_t kEscapeBase = 0xDC00;

int leadRow(unsigned char b)
{
    if (b >= 0x81 && b <= 0x9F)
        return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC)
        return b - 0xE0 + (0x9F - 0x81 + 1);
    return -1;
}

// Whether byte b followed by byte next reads as one double-byte character.
bool joins(unsigned char b, unsigned char next)
{
    const int row = leadRow(b);
    return row >= 0 && next >= kTrailFirst && next < kTrailFirst + kTrailCount
        && kDoubleByte[row][next - kTrailFirst] != 0;
}

unsigned char rowLead(int row)
{
    return static_cast<unsigned char>(row < 31 ? 0x81 + row : 0xE0 + row - 31);
}

// Single bytes outside ASCII and the half-width katakana that Windows still maps.
char16_t singleByteExtra(unsigned char b)
{
    switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0;
    }
}

// Unicode -> CP932 bytes (high byte 0 for a single byte); 0xFFFF marks "no form".
// Where a character has several codes, Windows writes the lowest one, except that the
// NEC-selected IBM rows 0xED and 0xEE give way to the IBM rows 0xFA-0xFC.
struct EncodeTable {
    std::array<std::uint16_t, 0x10000> code;
    // Every double-byte code with the character it reads as, by character and then in
    // the order Windows prefers them.
    std::vector<std::pair<char16_t, std::uint16_t>> codes;

    EncodeTable()
    {
        code.fill(0xFFFF);
        for (unsigned b = 0; b < 0x80; ++b)
            code[b] = static_cast<std::uint16_t>(b);
        for (unsigned b = 0xA1; b <= 0xDF; ++b)
            code[0xFF61 + (b - 0xA1)] = static_cast<std::uint16_t>(b);
        for (unsigned b : {0x80u, 0xA0u, 0xFDu, 0xFEu, 0xFFu})
            code[singleByteExtra(static_cast<unsigned char>(b))] = static_cast<std::uint16_t>(b);

        const int rows = static_cast<int>(std::size(kDoubleByte));
        for (int pass = 0; pass < 2; ++pass) {
            for (int row = 0; row < rows; ++row) {
                const unsigned char lead = rowLead(row);
                const bool necSelected = lead == 0xED || lead == 0xEE;
                if (necSelected != (pass == 1))
                    continue;
                for (int t = 0; t < kTrailCount; ++t) {
                    const std::uint16_t u = kDoubleByte[row][t];
                    if (u == 0)
                        continue;
                    const auto pair = static_cast<std::uint16_t>((lead << 8) | (kTrailFirst + t));
                    if (code[u] == 0xFFFF)
                        code[u] = pair;
                    codes.emplace_back(static_cast<char16_t>(u), pair);
                }
            }
        }
        // By character; the stable sort leaves each one's codes in the order met above.
        std::stable_sort(codes.begin(), codes.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        // Characters that text pasted from web pages carries and that Windows stores as
        // their CP932 look-alikes.
        code[0x301C] = 0x8160; // 〜 wave dash
        code[0x2212] = 0x817C; // − minus sign
        code[0x2016] = 0x8161; // ‖ double vertical line
        code[0x2014] = 0x815C; // — em dash
        code[0x00A2] = 0x8191; // ¢
        code[0x00A3] = 0x8192; // £
        code[0x00AC] = 0x81CA; // ¬
        // Windows would write the yen sign and the overline as 0x5C and 0x7E, which read
        // back as a backslash (a character refused in file names) and a tilde; the
        // full-width forms keep what the user sees.
        code[0x00A5] = 0x818F; // ¥ -> ￥
        code[0x203E] = 0x8150; // ‾ -> ￣
    }
};

const EncodeTable& encodeTable()
{
    static const EncodeTable table;
    return table;
}

// Of the codes that read as the same character as the double-byte code, the first in
// the order Windows prefers whose first byte does not join kept into a character, or 0
// when there is none. decode() keeps a byte only when what follows does not join it, so a
// character read right after a kept byte always has one.
std::uint16_t codeApartFrom(const EncodeTable& table, std::uint16_t code, unsigned char kept)
{
    const char16_t c = kDoubleByte[leadRow(static_cast<unsigned char>(code >> 8))][(code & 0xFF) - kTrailFirst];
    const auto first = std::lower_bound(table.codes.begin(), table.codes.end(), c,
                                        [](const auto& entry, char16_t u) { return entry.first < u; });
    for (auto it = first; it != table.codes.end() && it->first == c; ++it) {
        if (!joins(kept, static_cast<unsigned char>(it->second >> 8)))
            return it->second;
    }
    return 0;
}

} // namespace

QString decode(QByteArrayView bytes, qsizetype* firstBad)
{
    if (firstBad)
        *firstBad = -1;
    QString out;
    out.resize(bytes.size());
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    qsizetype n = 0;
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = src[i];
        if (b < 0x80) {
            dst[n++] = b;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            dst[n++] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
            continue;
        }
        if (const char16_t extra = singleByteExtra(b)) {
            dst[n++] = extra;
            continue;
        }
        const int row = leadRow(b);
        if (row >= 0 && i + 1 < size) {
            const unsigned char t = src[i + 1];
            if (t >= kTrailFirst && t < kTrailFirst + kTrailCount) {
                if (const std::uint16_t u = kDoubleByte[row][t - kTrailFirst]) {
                    dst[n++] = u;
                    ++i;
                    continue;
                }
            }
        }
        if (firstBad && *firstBad < 0)
            *firstBad = i;
        dst[n++] = static_cast<char16_t>(kEscapeBase + b);
    }
    out.truncate(n);
    return out;
}

bool encode(QStringView text, QByteArray* out, QString* bad)
{
    const EncodeTable& tables = encodeTable();
    const auto& table = tables.code;
    out->resize(text.size() * 2);
    char* dst = out->data();
    qsizetype n = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        const std::uint16_t code = table[c];
        if (code != 0xFFFF) {
            if (code > 0xFF)
                dst[n++] = static_cast<char>(code >> 8);
            dst[n++] = static_cast<char>(code & 0xFF);
            continue;
        }
        // A lone escaped byte from decode() goes back out as that byte.
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF
            && !(i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))) {
            const auto kept = static_cast<unsigned char>(c - kEscapeBase);
            dst[n++] = static_cast<char>(kept);
            // The preferred code of the next character could join the kept byte into
            // another character ("81 FA 4A", a stray byte before Ⅰ, would come back as
            // "81 87 54", ∞T); then another of its codes is written.
            if (i + 1 < size) {
                const std::uint16_t nextCode = table[text[i + 1].unicode()];
                if (nextCode != 0xFFFF && nextCode > 0xFF && joins(kept, static_cast<unsigned char>(nextCode >> 8))) {
                    if (const std::uint16_t apart = codeApartFrom(tables, nextCode, kept)) {
                        dst[n++] = static_cast<char>(apart >> 8);
                        dst[n++] = static_cast<char>(apart & 0xFF);
                        ++i;
                    }
                }
            }
            continue;
        }
        if (bad) {
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < size
                && QChar::isLowSurrogate(text[i + 1].unicode());
            *bad = text.mid(i, pair ? 2 : 1).toString();
        }
        return false;
    }
    out->truncate(n);
    return true;
}

bool keepsApart(QChar kept, QChar c)
{
    const char16_t k = kept.unicode();
    if (k < kEscapeBase + 0x80 || k > kEscapeBase + 0xFF)
        return true;
    const EncodeTable& tables = encodeTable();
    const std::uint16_t code = tables.code[c.unicode()];
    const auto keptByte = static_cast<unsigned char>(k - kEscapeBase);
    if (code == 0xFFFF || !joins(keptByte, static_cast<unsigned char>(code > 0xFF ? code >> 8 : code)))
        return true;
    return code > 0xFF && codeApartFrom(tables, code, keptByte) != 0;
}

QString firstUnstorable(QStringView text)
{
    QByteArray scratch;
    QString bad;
    return encode(text, &scratch, &bad) ? QString() : bad;
}

QString storedForm(QStringView text)
{
    const auto& table = encodeTable().code;
    QString out = text.toString();
    for (QChar& c : out) {
        const std::uint16_t code = table[c.unicode()];
        if (code == 0xFFFF)
            continue;
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        const QString back = code > 0xFF ? decode(QByteArrayView(bytes, 2)) : decode(QByteArrayView(bytes + 1, 1));
        if (back.size() == 1)
            c = back[0];
    }
    return out;
}

} // namespace cp932
