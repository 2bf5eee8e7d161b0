#include "listgrids.h"

#include "lists/listrules.h"
#include "platform/grid.h"

#include <QHeaderView>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Column {
    QString caption;
    int twips;
    Qt::Alignment alignment;
    // A name column shares the room the others leave.
    bool fills = false;
    // A value the column must show whole, however large the font.
    QString widest = {};
};

void layOut(Grid& grid, int rows, const std::vector<Column>& columns, int totalColumns, int centredHeaders)
{
    const QFont font = grid.font();
    grid.setCols(totalColumns);
    grid.setRows(rows);
    grid.setCurrentCell(0, 0);
    const Column hidden{QString(), 0, Qt::AlignLeft};
    for (int c = 0; c < totalColumns; ++c) {
        const Column& column = c < static_cast<int>(columns.size()) ? columns[static_cast<size_t>(c)] : hidden;
        grid.setText(0, c, column.caption);
        grid.setColWidth(c, column.twips);
        grid.setColFills(c, column.fills);
        grid.setColAlignment(c, column.alignment);
        grid.setHeaderAlignment(c, c < centredHeaders ? Qt::AlignHCenter : Qt::AlignLeft);
        if (!column.widest.isEmpty())
            grid.setColWidthPixels(c, std::max(Grid::twipsToPixels(column.twips),
                                               QFontMetrics(font).horizontalAdvance(column.widest) + 12));
    }
}

} // namespace

void SetUpListGrids(Grid& msgIchiran, int titleCount, Grid& msgIchiran2, int songCount)
{
    layOut(msgIchiran, titleCount + 1,
           {{u"タイトル名"_s, 3000, Qt::AlignLeft, true},
            {u"アーティスト名"_s, 2200, Qt::AlignLeft, true},
            {u"ジャンル"_s, 1200, Qt::AlignLeft, true},
            {u"評価"_s, 600, Qt::AlignHCenter},
            {u"メディア"_s, 1200, Qt::AlignLeft},
            {u"日付け"_s, 1200, Qt::AlignHCenter, false, u"0000/00/00"_s},
            {u"メモ"_s, 1650, Qt::AlignLeft, true}},
           listrules::titlecol::kCount, listrules::titlecol::kOrderKey);
    layOut(msgIchiran2, songCount + 1,
           {{u"曲名"_s, 3000, Qt::AlignLeft, true},
            {u"アーティスト名"_s, 2200, Qt::AlignLeft, true},
            {u"ジャンル"_s, 1200, Qt::AlignLeft, true},
            {u"作詞"_s, 1390, Qt::AlignLeft},
            {u"作曲"_s, 1390, Qt::AlignLeft},
            {u"編曲"_s, 1390, Qt::AlignLeft},
            {u"詩"_s, 460, Qt::AlignHCenter}},
           listrules::songcol::kCount, listrules::songcol::kOrderKey);
}

void showGenresWhole(Grid& grid, int col)
{
    const int cap = grid.fontMetrics().horizontalAdvance(QString(12, u'漢'));
    grid.setColLeast(col, std::min(grid.widestText(col), cap));
}
