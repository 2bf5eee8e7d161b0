#include "settings.h"

#include "collectionfiles.h"
#include "recordfile.h"
#include "records.h"

using namespace Qt::Literals::StringLiterals;

std::optional<int> LoadSettings(DataFolder& folder)
{
    const auto records = ReadRecordFile<QString>(folder, files::kSettings, 2, [](QString* f) {
        return std::move(f[1]);
    });
    bool ok = false;
    const int value = records && !records->empty() ? records->front().toInt(&ok) : 0;
    return ok ? std::optional<int>(value) : std::nullopt;
}

WriteResult SaveSettings(DataFolder& folder, int helpTourOn)
{
    RecordWriter out;
    out.text(u"ヘルプツアー"_s);
    out.number(helpTourOn);
    out.endRecord();
    return WriteRecordFile(folder, files::kSettings, out, WriteMode::Rewrite);
}
