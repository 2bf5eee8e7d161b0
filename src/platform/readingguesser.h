#pragma once

#include <QString>

#include <memory>
#include <optional>

// A suggested reading for a name, and whether the guesser doubted it: it met words it
// did not know, or found other readings nearly as likely. A suggestion is shown to the
// user for checking, never stored by itself.
struct ReadingGuess {
    QString reading; // full-width katakana
    bool unsure = false;

    friend bool operator==(const ReadingGuess&, const ReadingGuess&) = default;
};

// Suggests readings of names (椎名林檎 → シイナリンゴ). The program and its tests run
// without one: the null guesser suggests nothing.
class ReadingGuesser {
public:
    virtual ~ReadingGuesser() = default;
    // Whether suggestions can be made at all (the dictionary was found).
    virtual bool isAvailable() const = 0;
    // The suggestion for name, or nothing when there is none (an empty name, no
    // dictionary, or nothing in it that could be read).
    virtual std::optional<ReadingGuess> guess(const QString& name) = 0;
};

class NullReadingGuesser : public ReadingGuesser {
public:
    bool isAvailable() const override { return false; }
    std::optional<ReadingGuess> guess(const QString&) override { return std::nullopt; }
};

// The guesser of this machine: MeCab with its IPA dictionary (UTF-8) where the program
// was built with MeCab and the dictionary is installed, else the null one. Not shared
// between threads.
std::unique_ptr<ReadingGuesser> makeReadingGuesser();
