#include "songlist.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/mastercombo.h"
#include "app/tell.h"
#include "lists/listgrids.h"
#include "lists/listrules.h"
#include "lists/readingorder.h"
#include "lists/sortbuttons.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/captioned.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
namespace col = listrules::songcol;

SongList::SongList(AppState& state, Dialogs& dialogs, FileListing& lyrics, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_lyrics(lyrics)
    , m_navigator(navigator)
{
    setObjectName(u"fraIchiran2"_s);
    setFrameShape(QFrame::StyledPanel);

    msgIchiran2 = named(new Grid, u"msgIchiran2"_s, u"曲一覧"_s);
    msgIchiran2->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    sortBar2 = new SortButtons(*msgIchiran2, u"cmdSort2"_s,
                               {u"曲名"_s, u"アーティスト"_s, u"ジャンル"_s, u"作詞"_s, u"作曲"_s, u"編曲"_s, u"歌詞"_s},
                               SongSortToggle);
    for (int i = 0; i < 7; ++i)
        cmdSort2[static_cast<size_t>(i)] = sortBar2->button(i);
    orderNamesByReading(*sortBar2, *msgIchiran2, {{col::kName, ReadingKind::Song}, {col::kArtist, ReadingKind::Artist}},
                        state.nameMemo, state.readings);
    cmdTuika2 = named(new QPushButton(u"情報追加"_s), u"cmdTuika2"_s);
    cmdTuika2->setToolTip(u"情報追加モードになります"_s);

    fraTuika2 = named(new QGroupBox(u"情報追加"_s), u"fraTuika2"_s);
    lblTitle2 = named(new QLabel, u"lblTitle2"_s);
    lblArt2 = named(new QLabel, u"lblArt2"_s);
    for (QLabel* label : {lblTitle2, lblArt2}) {
        label->setWordWrap(true);
        label->setFrameShape(QFrame::StyledPanel);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumHeight(label->fontMetrics().height() + 8);
    }
    cboJanru2 = mastercombo::editable(new QComboBox, u"cboJanru2"_s);
    cboSakushi2 = mastercombo::editable(new QComboBox, u"cboSakushi2"_s);
    cboSakkyoku2 = mastercombo::editable(new QComboBox, u"cboSakkyoku2"_s);
    cboHenkyoku2 = mastercombo::editable(new QComboBox, u"cboHenkyoku2"_s);
    cmdThozon2 = named(new QPushButton(u"データ保存"_s), u"cmdThozon2"_s);
    cmdSortM = named(new QPushButton(u"-"_s), u"cmdSortM"_s);
    cmdSortM->setToolTip(u"ソート画面に戻る"_s);
    cmdSortM->setFixedWidth(cmdSortM->sizeHint().height() + 8);

    auto* fields = captionedRows({u"曲名"_s, u"アーティスト"_s, u"ジャンル"_s, u"作詞"_s, u"作曲"_s, u"編曲"_s},
                                 {lblTitle2, lblArt2, cboJanru2, cboSakushi2, cboSakkyoku2, cboHenkyoku2});
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addWidget(cmdThozon2, 1);
    panelButtons->addWidget(cmdSortM);
    auto* panel = new QVBoxLayout(fraTuika2);
    panel->addLayout(fields);
    panel->addLayout(panelButtons);
    panel->addStretch(1);
    fraTuika2->setFixedWidth(380);
    fraTuika2->hide();

    auto* gridColumn = new QVBoxLayout;
    gridColumn->setSpacing(0);
    gridColumn->addWidget(sortBar2);
    gridColumn->addWidget(msgIchiran2, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(gridColumn, 1);
    body->addWidget(fraTuika2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTuika2);
    buttons->addSpacing(16);
    cboNarabi2 = addOrderChoice(buttons, u"cboNarabi2"_s);
    // The main screen's artist box takes the new order at once.
    connect(cboNarabi2, &QComboBox::activated, this, [this] { m_navigator.reloadMaster(Master::Artist); });
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    // The row being edited stays marked wherever a sort takes it.
    connect(sortBar2, &SortButtons::sorted, this, [this] {
        if (const int r = editedRow(); r > 0)
            msgIchiran2->setCurrentCell(r, msgIchiran2->col());
    });
    connect(msgIchiran2, &Grid::cellClicked, this, [this](int row, int) { msgIchiran2_Click(row); });
    connect(msgIchiran2, &Grid::userMovedToCell, this, [this](int row, int) { msgIchiran2_Click(row); });
    connect(msgIchiran2, &Grid::cellDoubleClicked, this, [this](int row, int) { msgIchiran2_DblClick(row); });
    connect(cmdTuika2, &QPushButton::clicked, this, &SongList::cmdTuika2_Click);
    connect(cmdThozon2, &QPushButton::clicked, this, &SongList::cmdThozon2_Click);
    connect(cmdSortM, &QPushButton::clicked, fraTuika2, &QWidget::hide);
    mastercombo::onEnter(cboJanru2, [this](const QString& typed) { AddSongGenreName(typed); });
    mastercombo::onEnter(cboSakushi2, [this](const QString& typed) { AddLyricistName(typed); });
    mastercombo::onEnter(cboSakkyoku2, [this](const QString& typed) { AddComposerName(typed); });
    mastercombo::onEnter(cboHenkyoku2, [this](const QString& typed) { AddArrangerName(typed); });
}

void SongList::ShowSongList()
{
    // The track lists are read while the screen opens: a song's titles are asked for next.
    m_state.trackLists.readAhead();
    {
        const BusyPointer busy(m_dialogs);
        repaintNow();
        emptyPanel();
        showOrderChoice(cboNarabi2);
        const std::pair<QComboBox*, Master> masters[] = {{cboJanru2, Master::SongGenre},
                                                         {cboSakushi2, Master::Lyricist},
                                                         {cboSakkyoku2, Master::Composer},
                                                         {cboHenkyoku2, Master::Arranger}};
        for (const auto& [combo, master] : masters) {
            combo->clear();
            combo->addItems(ReadMaster(m_state.folder, master));
            combo->setEditText(QString());
        }

        // The marks come from the listing as it stands; this screen does not refresh it.
        std::vector<QStringList> rows;
        rows.reserve(static_cast<size_t>(m_state.tracks.count()));
        int i = 0;
        for (const TrackRecord& s : m_state.tracks.records())
            rows.push_back(listrules::songRow(s, ++i, m_lyrics.contains(namerules::lyricsFileName(s.name, s.artist))));
        msgIchiran2->setDataRows(std::move(rows));
        showGenresWhole(*msgIchiran2, listrules::songcol::kGenre);
        repaintNow();
        show();
        repaintNow();
    }
    // The list is up: the names' keys are made now, not at the first click.
    m_state.nameMemo.prepareSongs(m_state.tracks.records(), m_state.readings, true);
    m_state.tour.show(tour::kSongList);
}

void SongList::emptyPanel()
{
    m_editKey.clear();
    lblTitle2->clear();
    lblArt2->clear();
    for (QComboBox* combo : {cboJanru2, cboSakushi2, cboSakkyoku2, cboHenkyoku2})
        combo->setEditText(QString());
}

void SongList::msgIchiran2_Click(int row)
{
    if (row < 1 || row >= msgIchiran2->rows())
        return;
    m_editKey = msgIchiran2->text(row, col::kOrderKey);
    lblTitle2->setText(msgIchiran2->text(row, col::kName));
    lblArt2->setText(msgIchiran2->text(row, col::kArtist));
    cboJanru2->setEditText(msgIchiran2->text(row, col::kGenre));
    cboSakushi2->setEditText(msgIchiran2->text(row, col::kLyricist));
    cboSakkyoku2->setEditText(msgIchiran2->text(row, col::kComposer));
    cboHenkyoku2->setEditText(msgIchiran2->text(row, col::kArranger));
}

void SongList::msgIchiran2_DblClick(int row)
{
    if (row < 1 || row >= msgIchiran2->rows())
        return;
    const QString song = msgIchiran2->text(row, col::kName);
    const QString artist = msgIchiran2->text(row, col::kArtist);
    int k = 0;
    {
        const BusyPointer busy(m_dialogs);
        k = listrules::titleHoldingSong(m_state.folder, m_state.trackLists, m_state.titles, song, artist);
    }
    if (k == 0) {
        m_dialogs.message(u"「%1」（%2）が入っているタイトルは見つかりませんでした。\r\n\r\n"
                          "曲目リストからこの曲を消したタイトルがあると、曲一覧にだけ残ることがあります。"_s.arg(song, artist),
                          u"タイトルなし"_s, Dialogs::Icon::Information);
        return;
    }
    m_navigator.ShowTitleByName(m_state.titles.at(k).name);
}

void SongList::cmdTuika2_Click()
{
    if (msgIchiran2->rows() <= 1)
        return;
    emptyPanel();
    msgIchiran2->sortRows(col::kOrderKey, Qt::AscendingOrder, Grid::SortAs::Number);
    fraTuika2->show();
}

int SongList::editedRow() const
{
    return m_editKey.isEmpty() ? 0 : msgIchiran2->findRow(col::kOrderKey, m_editKey);
}

void SongList::cmdThozon2_Click()
{
    const int r = editedRow();
    if (lblTitle2->text().isEmpty() || r == 0) {
        m_dialogs.message(u"先に編集対象をクリックしてください"_s, u"対象未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    const QString genre = typedText(*cboJanru2);
    const QString lyricist = typedText(*cboSakushi2);
    const QString composer = typedText(*cboSakkyoku2);
    const QString arranger = typedText(*cboHenkyoku2);
    const std::pair<QString, int> edits[] = {
        {genre, col::kGenre}, {lyricist, col::kLyricist}, {composer, col::kComposer}, {arranger, col::kArranger}};
    for (const auto& [value, column] : edits) {
        if (!mastercombo::acceptableChange(value, msgIchiran2->text(r, column), m_dialogs))
            return;
    }

    // The whole file from the grid in the file's own order, whatever order is on view,
    // each row with the reserved field it was read with.
    QStringList keys;
    for (int row = 1; row < msgIchiran2->rows(); ++row)
        keys.append(msgIchiran2->text(row, col::kOrderKey));
    std::vector<TrackRecord> records;
    records.reserve(static_cast<size_t>(msgIchiran2->rows() - 1));
    for (const int row : listrules::rowsInKeyOrder(keys)) {
        QStringList cells(col::kCount);
        for (int c = 0; c < col::kCount; ++c)
            cells[c] = msgIchiran2->text(row, c);
        TrackRecord song = listrules::songOfRow(cells);
        if (row == r) {
            song.genre = genre;
            song.lyricist = lyricist;
            song.composer = composer;
            song.arranger = arranger;
        }
        records.push_back(std::move(song));
    }
    const WriteResult written = SaveTrackTable(m_state.folder, records);
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return;
    }
    msgIchiran2->setText(r, col::kGenre, genre);
    msgIchiran2->setText(r, col::kLyricist, lyricist);
    msgIchiran2->setText(r, col::kComposer, composer);
    msgIchiran2->setText(r, col::kArranger, arranger);
    LoadTrackTable(m_state.folder, &m_state.tracks);

    // A stored name that its master cannot take as it stands stays out of it.
    const std::pair<QString, void (SongList::*)(const QString&)> names[] = {{genre, &SongList::AddSongGenreName},
                                                                          {lyricist, &SongList::AddLyricistName},
                                                                          {composer, &SongList::AddComposerName},
                                                                          {arranger, &SongList::AddArrangerName}};
    for (const auto& [name, add] : names) {
        if (mastercombo::storable(name))
            (this->*add)(name);
    }
    emptyPanel();
}

void SongList::addName(QComboBox* combo, Master master, const QString& typed)
{
    if (typed.isEmpty() || !mastercombo::acceptable(typed, m_dialogs))
        return;
    mastercombo::addIfNew(combo, master, typed, m_state.folder, m_dialogs);
}

void SongList::AddSongGenreName(const QString& typed)
{
    addName(cboJanru2, Master::SongGenre, typed);
}

void SongList::AddLyricistName(const QString& typed)
{
    addName(cboSakushi2, Master::Lyricist, typed);
}

void SongList::AddComposerName(const QString& typed)
{
    addName(cboSakkyoku2, Master::Composer, typed);
}

void SongList::AddArrangerName(const QString& typed)
{
    addName(cboHenkyoku2, Master::Arranger, typed);
}
