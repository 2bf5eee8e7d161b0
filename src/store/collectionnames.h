#pragma once

#include <QString>

// Words the collection's files hold with a meaning of their own.
namespace collection {

// The artist of a compilation: its track list says "song/artist" on each line.
inline const QString kCompilationArtist = QStringLiteral("複数");
// An artist, genre or medium not given yet.
inline const QString kNotEntered = QStringLiteral("未登録");
// The rating of a title not rated yet.
inline const QString kUnrated = QStringLiteral("未");

} // namespace collection
