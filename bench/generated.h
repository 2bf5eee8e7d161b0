#pragma once

#include <QString>

// A collection at the design maximum written into folder: 32,766 titles and 32,766
// songs with names and memos of realistic length in Japanese.
namespace bench {
constexpr int kMaxRecords = 32766;
void writeLargeCollection(const QString& folder, int titles = kMaxRecords, int songs = kMaxRecords);
}
