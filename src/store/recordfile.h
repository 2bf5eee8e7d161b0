#pragma once

#include "datafolder.h"
#include "records.h"
#include "storeerror.h"

#include <QString>

#include <optional>
#include <vector>

// Reads every record of a field-record file, count fields each, turning each into a
// Record with make(fields) (make may move the fields out). A file that ends within a
// record gives that record with its missing fields empty, and the damage is noted; so
// is a double quote inside a field, which is read as another character (replaceQuotes),
// and text after the
// closing quote of a field, which is dropped.
// Nothing when the file cannot be opened. With lines given, the line each record
// starts on goes there (a record can span lines: a memo with line breaks).
template <typename Record, typename Make>
std::optional<std::vector<Record>> ReadRecordFile(DataFolder& folder, const QString& name, int count, Make make,
                                                  std::vector<int>* lines = nullptr)
{
    const std::optional<QString> text = folder.readText(name);
    if (!text)
        return std::nullopt;
    std::vector<Record> records;
    std::vector<QString> fields(static_cast<size_t>(count));
    FieldReader reader(*text);
    while (!reader.atEnd()) {
        const bool whole = reader.readRecord(count, fields.data());
        // A quote inside a field was put there by hand (the program writes none): it is
        // read as the full-width ” it can be written back as.
        if (reader.quoteInField() && replaceQuotes(fields))
            folder.noteProblem({LoadProblem::Kind::QuoteInField, name, reader.recordLine(), {}, {}, {}});
        if (reader.droppedText())
            folder.noteProblem({LoadProblem::Kind::TextAfterQuote, name, reader.recordLine(), {}, {}, {}});
        records.push_back(make(fields.data()));
        if (lines)
            lines->push_back(reader.recordLine());
        if (!whole) {
            folder.noteProblem({LoadProblem::Kind::EndsWithinRecord, name, reader.recordLine(), {}, {}, {}});
            break;
        }
    }
    return records;
}

// Writes the records built in out, replacing the file or adding to its end.
enum class WriteMode { Rewrite, Append };
WriteResult WriteRecordFile(DataFolder& folder, const QString& name, const RecordWriter& out, WriteMode mode);
