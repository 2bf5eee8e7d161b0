#include "recordfile.h"

#include "datafolder.h"
#include "records.h"

using namespace Qt::Literals::StringLiterals;

WriteResult WriteRecordFile(DataFolder& folder, const QString& name, const RecordWriter& out, WriteMode mode)
{
    if (out.hasQuote())
        return WriteResult::refused(name, {TextRefusal::Kind::DoubleQuote, u"\""_s});
    return mode == WriteMode::Append ? folder.append(name, out.result()) : folder.rewrite(name, out.result());
}
