#pragma once

#include <QString>

// Something in a collection file that could not be read as it stands. The file is read
// as far as it goes, and the user is told at start-up.
struct LoadProblem {
    enum class Kind { NotCp932, EndsWithinRecord };

    Kind kind = Kind::NotCp932;
    QString fileName;
    int line = 0;

    QString message() const;
};

// The outcome of a write to a collection file. Anything but ok() means the file is
// as it was before the write.
struct WriteResult {
    enum class Kind { Ok, Unstorable, DoubleQuote, BadFileName, Io };

    Kind kind = Kind::Ok;
    QString fileName;
    QString character; // Unstorable: the character that has no CP932 form
    QString detail;    // Io: what the system said

    bool ok() const { return kind == Kind::Ok; }
    QString message() const;
    QString title() const;

    static WriteResult success() { return {}; }
};
