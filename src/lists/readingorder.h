#pragma once

#include "store/readings.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Grid;
class NameMemo;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class SortButtons;

// The name columns of a list grid, each with the kind of reading it is ordered and found by.
struct NameColumn {
    int col;
    ReadingKind kind;
};

// Under 五十音 order the buttons sort grid's name columns by the names' readings (the
// other columns, and every column under 文字コード, by their text as before); under
// あいまい検索 the letters typed on the grid find a row by the start of its cell folded,
// or of its name's reading, or of the romaji of that reading.
void orderNamesByReading(SortButtons& buttons, Grid& grid, std::vector<NameColumn> columns, NameMemo& memo,
                         const ReadingTable& readings);

// The test the letters typed on a list of names of kind (none: of other texts, folded
// alone) pass under あいまい検索: a name starting with them folded, or whose reading
// starts with them in kana or romaji. Nothing under the switch off.
std::function<bool(const QString& text)> fuzzyTypeAhead(const QString& typed, std::optional<ReadingKind> kind,
                                                        NameMemo& memo, const ReadingTable& readings);
// The same for the name columns of a grid without sort buttons.
void findRowsByReading(Grid& grid, std::vector<NameColumn> columns, NameMemo& memo, const ReadingTable& readings);

// The box 「並び順」 named name, its two choices 読み（五十音） and 文字コード, laid out
// with its caption at the end of row; a choice is kept in the user's settings at once.
QComboBox* addOrderChoice(QBoxLayout* row, const QString& name);
// Shows the order the user's settings hold, when the screen opens.
void showOrderChoice(QComboBox* choice);

// The check box 「あいまい検索」 named name; a change is kept in the user's settings.
QCheckBox* fuzzySwitch(const QString& name);
void showFuzzySwitch(QCheckBox* box);
