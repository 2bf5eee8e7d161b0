#pragma once

class NameMemo;
class QComboBox;
class ReadingTable;
class TitleTable;

// Under あいまい検索, the titles that the text typed into box finds (by the name folded,
// by its reading or by the romaji of that reading) are offered in a list under the box,
// and picking one is picking that title from the box's own list. With the switch off the
// box completes nothing, as before.
void findTitlesAsTyped(QComboBox* box, NameMemo& memo, const ReadingTable& readings, const TitleTable& titles);
