#pragma once

#include <QString>

#include <optional>
#include <system_error>

// Something in a collection file that could not be read as it stands. The file is read
// as far as it goes, and the user is told at start-up.
struct LoadProblem {
    enum class Kind { NotCp932, EndsWithinRecord, QuoteInField, TextAfterQuote, ZeroFilled, CaseTwins, Unreadable, BadRecord };

    Kind kind = Kind::NotCp932;
    QString fileName;
    int line = 0;
    // CaseTwins: the two names that differ only in letter case (name on line, otherName
    // on otherLine).
    QString name;
    QString otherName;
    // Unreadable: what the system said; BadRecord: why the record was passed over.
    QString detail;
    int otherLine = 0;

    QString message() const;
};

// Why a text cannot go into the collection's files as it stands: a character CP932 has
// no form for, a double quote (which ends a field of a record early), or a line break
// or other control character in a text that must stay one line.
struct TextRefusal {
    enum class Kind { Unstorable, DoubleQuote, ControlCharacter };

    Kind kind = Kind::Unstorable;
    QString character; // Unstorable: the character that has no CP932 form

    QString message() const;
    QString title() const;
};

// The reasons to refuse text before anything is written, tested in this order: a
// control character (only with oneLine), a character without CP932 form, a double quote
// (only with asField).
struct TextUse {
    bool oneLine = false;
    bool asField = false;
};
std::optional<TextRefusal> refusalOf(QStringView text, TextUse use);

// Whether c is a line break, tab or other control character.
bool isControlCharacter(QChar c);

// The outcome of a write to a collection file. Anything but ok() means the file is
// as it was before the write.
struct WriteResult {
    enum class Kind { Ok, Unstorable, DoubleQuote, ControlCharacter, BadFileName, Io, DiskFull, ReadOnly };

    Kind kind = Kind::Ok;
    QString fileName;
    QString character; // Unstorable: the character that has no CP932 form
    QString detail;    // Io: what the system said; ReadOnly: why the folder takes no writes

    bool ok() const { return kind == Kind::Ok; }
    QString message() const;
    QString title() const;

    static WriteResult success() { return {}; }
    static WriteResult refused(const QString& fileName, const TextRefusal& refusal);
    // A write the system refused with error: no space, no free inode or no quota left is
    // a full disk, a read-only file system takes no writes; any other reason is told in
    // the system's words.
    static WriteResult ofSystemError(const QString& fileName, std::error_code error);
};

// Why nothing can be written to what (「データ.TXT」, フォルダ「…」) on a read-only disk.
QString readOnlyDiskReason(const QString& what);
// Why what takes no writes, from what the system said when a first write was tried: a
// read-only disk, a full one, or no right to write.
QString cannotWriteReason(const QString& what, std::error_code error);
