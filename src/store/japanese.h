#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The rules of Japanese text that every layer shares: the folded form the fuzzy search
// compares (あいまい検索), readings (読み) and their checks, and the order of names by
// reading (五十音) through ICU's Japanese collator.
namespace japanese {

// The form two texts are compared in by the fuzzy search: NFKC with case folding (full
// and half width and letter case fall together: ｷｬﾘｰ → キャリー, ＢＡＤ → bad), then each
// hiragana turned into its katakana by code point, so that きゃりー and キャリー meet.
// The long-vowel mark ー stays, and so do voicing and small kana: ハ and パ, ツ and ッ
// are different readings.
QString fold(QStringView text);

// Hiragana turned into katakana by code point (ぁ-ゖ, ゝ ゞ, ゔ); everything else as it is.
QString hiraganaToKatakana(QStringView text);

// Whether text is made of kana alone (hiragana, katakana, half-width katakana, ー, ・,
// voicing marks, spaces), with at least one kana.
bool isAllKana(QStringView text);
// Whether text is made of Latin letters, digits, punctuation and spaces alone (ASCII or
// full-width), with at least one letter.
bool isLatinOnly(QStringView text);
// Whether a name needs a reading to be sorted and found by it: one that is all kana or
// Latin is its own reading.
bool needsReading(QStringView name);

// A query typed in romaji as katakana (shiina → シイナ), through ICU's Latin-Katakana
// transliterator; empty when text is not Latin only or does not turn wholly into kana.
QString romajiToKatakana(QStringView text);

// Why a typed reading cannot be kept, as the box that tells the user.
struct ReadingRefusal {
    QString character; // the first character that is not allowed
    QString message() const;
    QString title() const;
};

// A reading as it is stored: full-width katakana, ー, ・ and single spaces. What is typed
// is brought to that form first: hiragana become katakana, half-width kana and spaces
// full width and plain, and spaces at the ends go.
QString readingForm(QStringView typed);
// Why the stored form of a typed reading cannot be kept, or nothing.
std::optional<ReadingRefusal> readingRefusal(QStringView typed);
// Whether a stored reading is one readingForm could have made and readingRefusal lets
// pass.
bool isReading(QStringView reading);

// The reading a sort tag (the music files' TSOP, soar, ARTISTSORT…) gives a name: the
// tag in reading form when it is all kana. A Latin sort tag says nothing of a Japanese
// name, and a Latin or kana name needs none.
std::optional<QString> readingFromSortTag(QStringView name, QStringView tag);

// Makes sort keys with ICU's Japanese collator: Latin before kana before kanji, hiragana
// and katakana and full and half width equal at the primary levels, digits by their
// value (2PM before 10-FEET). Comparing two keys byte for byte (QByteArray's <) gives the
// order, so keys are made once per load and a sort compares bytes only. Not shared
// between threads: each worker makes its own.
class SortKeyMaker {
public:
    SortKeyMaker();
    ~SortKeyMaker();
    SortKeyMaker(const SortKeyMaker&) = delete;
    SortKeyMaker& operator=(const SortKeyMaker&) = delete;

    // The key of a name: by its reading where it has one, else by the name; names of one
    // reading by the name after it.
    QByteArray sortKey(QStringView name, QStringView reading = {}) const;
    // The collator's key of one text alone.
    QByteArray textKey(QStringView text) const;

private:
    struct Icu;
    std::unique_ptr<Icu> m_icu;
};

// Row numbers 0..keys.size()-1 in the order of their keys, rows of equal keys in their
// order; descending turns the keys' order, not that of equal rows.
std::vector<int> orderByKeys(const std::vector<QByteArray>& keys, bool descending = false);

// A name and its reading in the form the fuzzy search compares, made once per load. A
// name that is all kana is its own reading.
struct FoldedName {
    QString name;
    QString reading; // folded, without spaces and ・
};
FoldedName foldName(QStringView name, QStringView reading);

// A query of the fuzzy search: a name matches when the folded query is in its folded
// name or its folded reading, or the query typed in romaji is in its reading. Spaces and
// ・ count in the name, not in the reading (しいなりんご finds シイナ・リンゴ).
class FuzzyQuery {
public:
    enum class Match { Contains, StartsWith };

    explicit FuzzyQuery(QStringView query, Match match = Match::Contains);

    bool isEmpty() const { return m_name.isEmpty(); }
    bool matches(const FoldedName& name) const;

private:
    bool in(const QString& text, const QString& part) const;

    Match m_match;
    QString m_name;    // against the name
    QString m_reading; // against the reading
    QString m_romaji;  // against the reading, when the query is romaji
};

} // namespace japanese
