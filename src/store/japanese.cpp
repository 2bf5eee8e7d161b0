#include "japanese.h"

#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace japanese {

namespace {

icu::UnicodeString toIcu(QStringView text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int32_t>(text.size()));
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

bool isHiragana(char16_t c)
{
    return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E;
}

bool isKatakana(char16_t c)
{
    return (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x30FC && c <= 0x30FE);
}

bool isHalfWidthKana(char16_t c)
{
    return c >= 0xFF66 && c <= 0xFF9F;
}

// Marks that belong to kana without being kana themselves: ・ (both widths), the voicing
// marks, and spaces between words.
bool isKanaMark(char16_t c)
{
    return c == 0x30FB || c == 0xFF65 || (c >= 0x3099 && c <= 0x309C) || c == 0xFF70 || c == u' ' || c == 0x3000;
}

bool isLatinLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xFF21 && c <= 0xFF3A)
        || (c >= 0xFF41 && c <= 0xFF5A);
}

// Printable ASCII and its full-width forms, with both spaces.
bool isLatinCharacter(char16_t c)
{
    return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF01 && c <= 0xFF5E) || c == 0x3000;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The characters a stored reading may hold besides spaces: full-width katakana that
// CP932 has, ・, ー and the iteration marks ヽ ヾ.
bool isReadingCharacter(char16_t c)
{
    return (c >= 0x30A1 && c <= 0x30F6) || (c >= 0x30FB && c <= 0x30FE);
}

QString withoutSeparators(QString text)
{
    text.removeIf([](QChar c) { return c == u' ' || c == QChar(0x30FB); });
    return text;
}

const icu::Normalizer2* normalizer(bool caseFold)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n =
        caseFold ? icu::Normalizer2::getNFKCCasefoldInstance(status) : icu::Normalizer2::getNFKCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
}

QString normalized(QStringView text, bool caseFold)
{
    const icu::Normalizer2* n = normalizer(caseFold);
    if (!n)
        return caseFold ? text.toString().toCaseFolded() : text.toString();
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString out = n->normalize(toIcu(text), status);
    return U_SUCCESS(status) ? fromIcu(out) : text.toString();
}

} // namespace

QString hiraganaToKatakana(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out) {
        if (isHiragana(c.unicode()))
            c = QChar(c.unicode() + 0x60);
    }
    return out;
}

QString fold(QStringView text)
{
    // Most Latin names need no more than their letters lowered.
    if (isAscii(text))
        return text.toString().toLower();
    return hiraganaToKatakana(normalized(text, true));
}

bool isAllKana(QStringView text)
{
    bool kana = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isHiragana(u) || isKatakana(u) || isHalfWidthKana(u))
            kana = true;
        else if (!isKanaMark(u))
            return false;
    }
    return kana;
}

bool isLatinOnly(QStringView text)
{
    bool letter = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isLatinCharacter(u))
            return false;
        letter = letter || isLatinLetter(u);
    }
    return letter;
}

bool needsReading(QStringView name)
{
    return !name.trimmed().isEmpty() && !isAllKana(name) && !isLatinOnly(name);
}

QString romajiToKatakana(QStringView text)
{
    if (!isLatinOnly(text))
        return {};
    QString latin = fold(text);
    latin.removeIf([](QChar c) { return c == u' '; });
    // The transliterator is built once per thread: building it takes far longer than
    // using it, and it may not be shared between threads.
    thread_local const std::unique_ptr<icu::Transliterator> toKana = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance(icu::UnicodeString(u"Latin-Katakana"), UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    if (!toKana)
        return {};
    icu::UnicodeString kana = toIcu(latin);
    toKana->transliterate(kana);
    const QString out = fromIcu(kana);
    const bool whole = !out.isEmpty() && std::all_of(out.begin(), out.end(), [](QChar c) {
        return isReadingCharacter(c.unicode());
    });
    return whole ? out : QString();
}

QString ReadingRefusal::title() const
{
    return u"使用不可文字"_s;
}

QString ReadingRefusal::message() const
{
    return u"「%1」は読みに使えない文字です。"_s.arg(character) + u"\r\n"_s
        + u"読みはカタカナかひらがなで入力してください。"_s;
}

QString readingForm(QStringView typed)
{
    const QString kana = hiraganaToKatakana(normalized(typed, false));
    QString out;
    out.reserve(kana.size());
    for (const QChar c : kana) {
        if (c.isSpace()) {
            if (!out.isEmpty() && !out.endsWith(u' '))
                out += u' ';
        } else {
            out += c;
        }
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

std::optional<ReadingRefusal> readingRefusal(QStringView typed)
{
    const QString form = readingForm(typed);
    for (qsizetype i = 0; i < form.size(); ++i) {
        const QChar c = form[i];
        if (c == u' ' || isReadingCharacter(c.unicode()))
            continue;
        // A character outside the BMP is named whole.
        const qsizetype length = (c.isHighSurrogate() && i + 1 < form.size()) ? 2 : 1;
        return ReadingRefusal{form.mid(i, length)};
    }
    return std::nullopt;
}

bool isReading(QStringView reading)
{
    return !reading.isEmpty() && readingForm(reading) == reading && !readingRefusal(reading);
}

std::optional<QString> readingFromSortTag(QStringView name, QStringView tag)
{
    if (!needsReading(name) || !isAllKana(tag))
        return std::nullopt;
    const QString form = readingForm(tag);
    return isReading(form) ? std::optional(form) : std::nullopt;
}

struct SortKeyMaker::Icu {
    std::unique_ptr<icu::Collator> collator;
};

SortKeyMaker::SortKeyMaker()
    : m_icu(std::make_unique<Icu>())
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale("ja"), status));
    if (U_FAILURE(status) || !collator)
        return;
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    if (U_SUCCESS(status))
        m_icu->collator = std::move(collator);
}

SortKeyMaker::~SortKeyMaker() = default;

QByteArray SortKeyMaker::textKey(QStringView text) const
{
    // Without the collator's data, names still come in the order of their characters:
    // UTF-8 keeps it, and holds no zero byte before the key's end.
    if (!m_icu->collator)
        return text.toUtf8() + '\0';
    const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    uint8_t buffer[512];
    int32_t needed = m_icu->collator->getSortKey(chars, length, buffer, sizeof buffer);
    if (needed <= static_cast<int32_t>(sizeof buffer))
        return QByteArray(reinterpret_cast<const char*>(buffer), needed);
    QByteArray key(needed, Qt::Uninitialized);
    needed = m_icu->collator->getSortKey(chars, length, reinterpret_cast<uint8_t*>(key.data()), needed);
    key.truncate(needed);
    return key;
}

QByteArray SortKeyMaker::sortKey(QStringView name, QStringView reading) const
{
    // A key ends with its only zero byte, so the two keys laid end to end compare as the
    // first and, where that is equal, as the second.
    return textKey(reading.isEmpty() ? name : reading) + textKey(name);
}

std::vector<int> orderByKeys(const std::vector<QByteArray>& keys, bool descending)
{
    std::vector<int> rows(keys.size());
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    if (descending)
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return keys[b] < keys[a]; });
    else
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    return rows;
}

FoldedName foldName(QStringView name, QStringView reading)
{
    FoldedName out{fold(name), {}};
    if (!reading.isEmpty())
        out.reading = withoutSeparators(fold(reading));
    else if (isAllKana(name))
        out.reading = withoutSeparators(out.name);
    return out;
}

FuzzyQuery::FuzzyQuery(QStringView query, Match match)
    : m_match(match)
    , m_name(fold(query))
    , m_reading(withoutSeparators(m_name))
    , m_romaji(romajiToKatakana(query))
{
}

bool FuzzyQuery::in(const QString& text, const QString& part) const
{
    return m_match == Match::Contains ? text.contains(part) : text.startsWith(part);
}

bool FuzzyQuery::matches(const FoldedName& name) const
{
    if (in(name.name, m_name))
        return true;
    if (name.reading.isEmpty())
        return false;
    return (!m_reading.isEmpty() && in(name.reading, m_reading)) || (!m_romaji.isEmpty() && in(name.reading, m_romaji));
}

} // namespace japanese
