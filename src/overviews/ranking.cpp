#include "ranking.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "overviews/draglist.h"
#include "platform/dialogs.h"
#include "lists/readingorder.h"
#include "platform/grid.h"
#include "platform/named.h"
#include "title/titlerules.h"
#include "upkeep/tourtexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
namespace col = overviewrules::rankcol;

namespace {

const QColor kPending(255, 224, 192);

QLabel* caption(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// "多い順" / "少ない順" in a frame of their own, so each pair switches on its own.
QGroupBox* optionPair(QRadioButton* most, QRadioButton* fewest)
{
    auto* frame = new QGroupBox;
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->addWidget(most);
    layout->addWidget(fewest);
    layout->addStretch(1);
    return frame;
}

} // namespace

Ranking::Ranking(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_navigator(navigator)
    , m_kasyu(new QStringListModel(this))
{
    setObjectName(u"fraRank"_s);
    setFrameShape(QFrame::StyledPanel);

    msgSaku = named(new Grid, u"msgSaku"_s, u"タイトル数ランキング"_s);
    msgKei = named(new Grid, u"msgKei"_s, u"曲数ランキング"_s);
    for (Grid* grid : {msgSaku, msgKei})
        findRowsByReading(*grid, {{col::kName, ReadingKind::Artist}}, state.nameMemo, state.readings);
    optSaku1 = named(new QRadioButton(u"多い順"_s), u"optSaku1"_s);
    optSaku2 = named(new QRadioButton(u"少ない順"_s), u"optSaku2"_s);
    optKei1 = named(new QRadioButton(u"多い順"_s), u"optKei1"_s);
    optKei2 = named(new QRadioButton(u"少ない順"_s), u"optKei2"_s);
    lstKasyu = named(new QListView, u"lstKasyu"_s);
    lstKasyu->setModel(m_kasyu);
    lstKasyu->hide();
    lstBicho = named(new DragList, u"lstBicho"_s, u"タイトルデータ表示順位微調整"_s);
    lstBicho->setToolTip(u"ドラッグ、または Ctrl+↑／Ctrl+↓ で順番を変えられます"_s);
    cmdSortCng2 = named(new QPushButton(u"この順番でメインを並び替える"_s), u"cmdSortCng2"_s);
    for (Grid* grid : {msgSaku, msgKei})
        grid->setMinimumWidth(Grid::twipsToPixels(570 + 2715 + 900) + grid->verticalScrollBar()->sizeHint().width() + 4);

    auto* layout = new QGridLayout(this);
    layout->addWidget(caption(u"タイトル数　ランキング"_s), 0, 0);
    layout->addWidget(msgSaku, 1, 0);
    layout->addWidget(optionPair(optSaku1, optSaku2), 2, 0);
    layout->addWidget(caption(u"曲数 ランキング"_s), 0, 1);
    layout->addWidget(msgKei, 1, 1);
    layout->addWidget(optionPair(optKei1, optKei2), 2, 1);
    layout->addWidget(caption(u"タイトルデータ　表示順位微調整"_s), 0, 2);
    layout->addWidget(lstBicho, 1, 2);
    layout->addWidget(cmdSortCng2, 2, 2);
    layout->addWidget(lstKasyu, 3, 0);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(1, 1);
    layout->setHorizontalSpacing(12);

    connect(optSaku1, &QRadioButton::toggled, this, [this](bool on) { if (on) sortAndNumber(msgSaku, Qt::DescendingOrder); });
    connect(optSaku2, &QRadioButton::toggled, this, [this](bool on) { if (on) sortAndNumber(msgSaku, Qt::AscendingOrder); });
    connect(optKei1, &QRadioButton::toggled, this, [this](bool on) { if (on) sortAndNumber(msgKei, Qt::DescendingOrder); });
    connect(optKei2, &QRadioButton::toggled, this, [this](bool on) { if (on) sortAndNumber(msgKei, Qt::AscendingOrder); });
    connect(lstBicho, &DragList::released, this, &Ranking::lstBicho_MouseUp);
    connect(lstBicho, &DragList::stepped, this, &Ranking::lstBicho_Step);
    connect(cmdSortCng2, &QPushButton::clicked, this, &Ranking::cmdSortCng2_Click);
}

void Ranking::SetUpRankingGrids()
{
    for (Grid* grid : {msgSaku, msgKei}) {
        grid->setDataRows({});
        grid->setCols(3);
        grid->setRows(1);
        grid->setCurrentCell(0, 0);
        const int widths[] = {570, 2715, 900};
        const QString headers[] = {u"順位"_s, u"歌手名"_s, grid == msgSaku ? u"作品数"_s : u"曲数"_s};
        for (int c = 0; c < 3; ++c) {
            grid->setColWidth(c, widths[c]);
            grid->setText(0, c, headers[c]);
            grid->setHeaderAlignment(c, Qt::AlignHCenter);
        }
        grid->setColFills(col::kName, true);
        grid->setColAlignment(col::kRank, Qt::AlignRight);
        grid->setColAlignment(col::kCount, Qt::AlignRight);
    }
}

void Ranking::cmdRank_Click()
{
    if (isVisible())
        return;
    // All four unselected, so that selecting the first of each pair sorts its grid.
    for (QRadioButton* option : {optSaku1, optSaku2, optKei1, optKei2}) {
        const QSignalBlocker quiet(option);
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    m_navigator.HideAllPanels();
    SetUpRankingGrids();
    show();

    QStringList names;
    names.reserve(m_state.titles.count());
    for (const TitleRecord& t : m_state.titles.records())
        names.append(t.name);
    lstBicho->setNames(names);
    // The list starts again from the main order: no move is waiting.
    markPending(false);

    const QStringList entries = m_navigator.artistEntries();
    msgSaku->setDataRows(overviewrules::rankingRows(entries, overviewrules::titleCounts(entries, m_state.titles)));
    namesInReadingOrder(msgSaku);
    optSaku1->setChecked(true);

    if (m_songArtists.add(m_state.tracks) > 0)
        m_kasyu->setStringList(m_songArtists.names());
    const QStringList& singers = m_songArtists.names();
    msgKei->setDataRows(overviewrules::rankingRows(singers, overviewrules::songCounts(singers, m_state.tracks)));
    namesInReadingOrder(msgKei);
    optKei1->setChecked(true);

    m_state.tour.show(tour::kRanking);
}

void Ranking::namesInReadingOrder(Grid* grid)
{
    // The count sort keeps the order of equal counts: in 五十音 order, artists of one
    // count come by their readings.
    if (!listoptions::readingOrder())
        return;
    grid->sortRowsBy(col::kName, Qt::AscendingOrder, [this](const QStringList& row) {
        return m_state.nameMemo.sortKey(ReadingKind::Artist, row[col::kName], m_state.readings);
    });
}

void Ranking::sortAndNumber(Grid* grid, Qt::SortOrder order)
{
    grid->sortRows(col::kCount, order, Grid::SortAs::Number);
    for (int r = 1; r < grid->rows(); ++r)
        grid->setText(r, col::kRank, QString::number(r));
    // A rank or a count is never cut: its column is as wide as its widest value.
    for (const int c : {col::kRank, col::kCount})
        grid->setColLeast(c, grid->widestText(c));
}

void Ranking::lstBicho_MouseUp(int from, int to)
{
    QStringList names = lstBicho->names();
    if (!overviewrules::moveBeforeTarget(names, from, to))
        return;
    lstBicho->setNames(names);
    lstBicho->selectRow(from < to ? to - 1 : to);
    markPending(true);
}

void Ranking::lstBicho_Step(int from, int to)
{
    QStringList names = lstBicho->names();
    names.move(from, to);
    lstBicho->setNames(names);
    lstBicho->selectRow(to);
    markPending(true);
}

void Ranking::markPending(bool pending)
{
    // A style sheet, since styles draw a push button from their own shades of a palette
    // colour: the light orange shows as it is under every style.
    cmdSortCng2->setStyleSheet(pending ? u"QPushButton { background-color: %1; border: 1px solid %2;"
                                         " border-radius: 3px; padding: 4px 12px; }"
                                         " QPushButton:pressed { background-color: %3; }"
                                         " QPushButton:focus { border: 2px solid palette(highlight); }"_s
                                             .arg(kPending.name(), kPending.darker(160).name(), kPending.darker(115).name())
                                       : QString());
}

void Ranking::cmdSortCng2_Click()
{
    if (m_dialogs.message(u"表示順位微調整リストの順番でメインのデータも並び替えますか？\r\n\r\n良かったらＯＫボタンを押してください"_s,
                          u"メイン並び替え確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::OkCancel)
        != Dialogs::Answer::Ok)
        return;
    const WriteResult written = SaveTitleFile(m_state.folder, titlerules::titlesInListOrder(lstBicho->names(), m_state.titles));
    if (!written.ok()) {
        // The moves stay in the list, still marked, to be applied again.
        tellWriteFailure(m_dialogs, written);
        return;
    }
    m_navigator.reloadTitles(1);
    markPending(false);
    m_state.CatalogueReady = false;
    m_dialogs.message(u"並び替えた順番をメインの順番に反映させました。"_s, u"並び替え完了"_s, Dialogs::Icon::Information);
}
