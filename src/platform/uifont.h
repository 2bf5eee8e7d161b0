#pragma once

#include <QString>

// The program draws every text with one Japanese font family, whatever the desktop's
// language: Latin letters, digits, ◎○ and kana then share one height and one base line.
// The family is the desktop's own font when it writes Japanese, else the font the
// desktop picks for Japanese, else Noto Sans CJK JP; empty when none of them is there.
QString japaneseUiFamily();

// Makes that family the application's font, at the desktop's size.
void useJapaneseUiFont();
