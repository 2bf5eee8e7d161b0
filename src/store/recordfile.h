#pragma once

#include "datafolder.h"
#include "records.h"
#include "storeerror.h"

#include <QString>

#include <any>
#include <optional>
#include <type_traits>
#include <vector>

// What a field-record file's text holds: its records, the line each starts on (a record
// can span lines: a memo with line breaks), and what was found wrong, in the order met.
template <typename Record>
struct RecordsRead {
    std::vector<Record> records;
    std::vector<int> lines;
    QList<LoadProblem> problems;
};

// The records of a field-record file's text, count fields each, each turned into a
// Record with make(fields) (make may move the fields out). A text that ends within a
// record gives that record with its missing fields empty, and the damage is noted; so is
// a double quote inside a field, which is read as another character (replaceQuotes), and
// text after the closing quote of a field, which is dropped. Touches nothing shared: it
// runs on workers too.
template <typename Record, typename Make>
RecordsRead<Record> ParseRecordText(const QString& name, const QString& text, int count, Make make)
{
    RecordsRead<Record> out;
    std::vector<QString> fields(static_cast<size_t>(count));
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const bool whole = reader.readRecord(count, fields.data());
        // A quote inside a field was put there by hand (the program writes none): it is
        // read as the full-width ” it can be written back as.
        if (reader.quoteInField() && replaceQuotes(fields))
            out.problems.append({LoadProblem::Kind::QuoteInField, name, reader.recordLine(), {}, {}, {}});
        if (reader.droppedText())
            out.problems.append({LoadProblem::Kind::TextAfterQuote, name, reader.recordLine(), {}, {}, {}});
        out.records.push_back(make(fields.data()));
        out.lines.push_back(reader.recordLine());
        if (!whole) {
            out.problems.append({LoadProblem::Kind::EndsWithinRecord, name, reader.recordLine(), {}, {}, {}});
            break;
        }
    }
    return out;
}

// A table made of a record file's text, and what was found wrong with it.
template <typename Table>
struct TableRead {
    Table table;
    QList<LoadProblem> problems;
};

// Reads the file name and makes digest(text) of it, a value with the problems it found
// in `problems`, which are noted in the folder; the value made on a worker when the file
// was read ahead with the same digest is taken instead. Nothing when the file cannot be
// opened.
template <typename Digest>
auto ReadDigested(DataFolder& folder, const QString& name, Digest digest)
{
    using Digested = std::invoke_result_t<Digest, const QString&>;
    std::any ahead;
    const std::optional<QString> text = folder.readText(name, &ahead);
    if (!text)
        return std::optional<Digested>();
    Digested* made = std::any_cast<Digested>(&ahead);
    std::optional<Digested> out(made ? std::move(*made) : digest(*text));
    for (const LoadProblem& problem : std::as_const(out->problems))
        folder.noteProblem(problem);
    return out;
}

// Begins reading the file name on a worker, where its text is made into digest(text),
// for the ReadDigested with the same digest that follows. digest must touch nothing
// shared.
template <typename Digest>
void ReadDigestedAhead(DataFolder& folder, const QString& name, Digest digest)
{
    folder.readAhead(name, [digest](const QString& text) { return std::any(digest(text)); });
}

// Reads every record of a field-record file as ParseRecordText does, noting what was
// found wrong. Nothing when the file cannot be opened.
template <typename Record, typename Make>
std::optional<std::vector<Record>> ReadRecordFile(DataFolder& folder, const QString& name, int count, Make make)
{
    auto read = ReadDigested(
        folder, name, [&](const QString& text) { return ParseRecordText<Record>(name, text, count, make); });
    return read ? std::optional(std::move(read->records)) : std::nullopt;
}

// Writes the records built in out, replacing the file or adding to its end.
enum class WriteMode { Rewrite, Append };
WriteResult WriteRecordFile(DataFolder& folder, const QString& name, const RecordWriter& out, WriteMode mode);
