// The record reader on arbitrary input. Taken as a file however damaged, reading it
// record by record must end, each record taking some of the text, with line numbers that
// only go forward and stay within the text; what was read (quotes in fields replaced as
// the loader does) must save and read back as it was read, kept bytes included. Taken
// as fields without a double quote, records written with RecordWriter and stored as
// CP932 must read back as they were.
#include "fuzzcheck.h"
#include "store/cp932.h"
#include "store/records.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kMaxFields = 12;
constexpr std::size_t kMaxRecords = 64;
constexpr std::size_t kMaxFieldBytes = 40;

// Records written, stored and read back must come back as they were.
void checkReadBack(const std::vector<QStringList>& records, const RecordWriter& writer, int count)
{
    QByteArray stored;
    if (!cp932::encode(writer.result(), &stored))
        fuzzFailure("written records cannot be stored", writer.result());
    const QString file = cp932::decode(stored);
    if (file != writer.result())
        fuzzFailure("stored records read back as other text", writer.result());

    FieldReader reader(file);
    QStringList fields;
    for (const QStringList& record : records) {
        fields.resize(count);
        if (reader.atEnd() || !reader.readRecord(count, fields.data()))
            fuzzFailure("a written record reads as cut", file);
        if (fields != record)
            fuzzFailure("a written record reads back differently", file);
    }
    if (!reader.atEnd())
        fuzzFailure("more records read than written", file);
}

void checkReading(QStringView file, int count)
{
    FieldReader reader(file);
    std::vector<QString> fields(static_cast<std::size_t>(count));
    std::vector<QStringList> read;
    RecordWriter writer;
    const int lines = lineOfPosition(file, file.size());
    qsizetype records = 0;
    int line = 1;
    while (!reader.atEnd()) {
        if (reader.recordLine() < line || reader.recordLine() > lines)
            fuzzFailure("record line out of order", file);
        line = reader.recordLine();
        reader.readRecord(count, fields.data());
        if (++records > file.size())
            fuzzFailure("a record took none of the text", file);
        replaceQuotes(fields);
        read.emplace_back(fields.begin(), fields.end());
        for (const QString& field : fields)
            writer.text(field);
        writer.endRecord();
    }
    if (writer.hasQuote())
        fuzzFailure("a field read kept a double quote", writer.result());
    checkReadBack(read, writer, count);
}

void checkWriting(FuzzedDataProvider& in, int count)
{
    std::vector<QStringList> records;
    RecordWriter writer;
    while (in.remaining_bytes() > 0 && records.size() < kMaxRecords) {
        QStringList& record = records.emplace_back();
        for (int i = 0; i < count; ++i) {
            // Field text as a file holds it, a double quote made an apostrophe (neither
            // byte can end a double-byte character, so the rest reads the same).
            std::string bytes = in.ConsumeRandomLengthString(kMaxFieldBytes);
            std::replace(bytes.begin(), bytes.end(), '"', '\'');
            record.append(cp932::decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))));
            writer.text(record.back());
        }
        writer.endRecord();
    }
    if (writer.hasQuote())
        fuzzFailure("a field without a double quote was refused", writer.result());
    checkReadBack(records, writer, count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const int count = in.ConsumeIntegralInRange(1, kMaxFields);
    checkReading(cp932::decode(QByteArrayView(data, static_cast<qsizetype>(size))), count);
    checkWriting(in, count);
    return 0;
}
