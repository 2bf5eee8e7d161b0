// The CP932 codec on arbitrary input. As bytes, it is a file however damaged: writing
// back what was read must read back the same text, kept bytes included. As UTF-16 units,
// it is text typed or pasted: its stored form must stay as it is when stored again, write
// the bytes the text itself writes, and read back as itself when it can be stored.
#include "fuzzcheck.h"
#include "store/cp932.h"

#include <cstdint>
#include <cstring>

namespace {

// A byte kept from a damaged file reads as U+DC00 + byte.
constexpr char16_t kKeptBase = 0xDC00;

qsizetype firstKeptByte(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() >= kKeptBase + 0x80 && text[i].unicode() <= kKeptBase + 0xFF)
            return i;
    }
    return -1;
}

void checkFile(QByteArrayView bytes)
{
    qsizetype firstBad = 0;
    const QString read = cp932::decode(bytes, &firstBad);
    const qsizetype firstKept = firstKeptByte(read);
    if ((firstBad < 0) != (firstKept < 0)
        || (firstBad >= 0 && read[firstKept].unicode() != kKeptBase + static_cast<unsigned char>(bytes[firstBad])))
        fuzzFailure("first bad byte misreported", read);

    QByteArray written;
    if (!cp932::encode(read, &written))
        fuzzFailure("text read from a file cannot be written back", read);
    if (cp932::decode(written) != read)
        fuzzFailure("text written back reads back differently", read);
}

void checkTyped(QStringView typed)
{
    const QString stored = cp932::storedForm(typed);
    if (cp932::storedForm(stored) != stored)
        fuzzFailure("stored form changes when stored again", typed);

    QByteArray fromTyped;
    QByteArray fromStored;
    const bool storable = cp932::encode(typed, &fromTyped);
    if (cp932::encode(stored, &fromStored) != storable || (storable && fromStored != fromTyped))
        fuzzFailure("stored form writes other bytes than the text", typed);
    // A kept byte is not a character: next to arbitrary text it may join what follows.
    if (storable && firstKeptByte(stored) < 0 && cp932::decode(fromStored) != stored)
        fuzzFailure("stored text reads back differently", typed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkFile(QByteArrayView(data, static_cast<qsizetype>(size)));

    QString typed(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(typed.data(), data, size / 2 * 2);
    checkTyped(typed);
    return 0;
}
