#include "songsearch.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "lists/listrules.h"
#include "lists/nameorder.h"
#include "lists/readingorder.h"
#include "lists/searchrules.h"
#include "lists/titlesearch.h"
#include "lyrics/lyricssearch.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/captioned.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/filelisting.h"
#include "store/masterlist.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using searchrules::Match;
using searchrules::SongField;
namespace col = searchrules::foundcol;

namespace {

const QString kPresent = u"有り"_s;
const QString kAbsent = u"無し"_s;

} // namespace

SongSearch::SongSearch(AppState& state, Dialogs& dialogs, Printer& printer, FileListing& lyrics, Navigator& navigator,
                       QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_lyrics(lyrics)
    , m_navigator(navigator)
{
    setObjectName(u"fraList"_s);
    setFrameShape(QFrame::StyledPanel);

    Frame8 = named(new QGroupBox(u"検索項目"_s), u"Frame8"_s);
    txtKyokukey = named(new QLineEdit, u"txtKyokukey"_s);
    chkFuzzy2 = fuzzySwitch(u"chkFuzzy2"_s);
    lstSakusya3 = named(new ChoiceList, u"lstSakusya3"_s, u"アーティスト"_s);
    lstKeisai3 = named(new ChoiceList, u"lstKeisai3"_s, u"ジャンル"_s);
    cboSakushi = named(new QComboBox, u"cboSakushi"_s);
    cboSakkyoku = named(new QComboBox, u"cboSakkyoku"_s);
    cboHenkyoku = named(new QComboBox, u"cboHenkyoku"_s);
    lstKashi = named(new ChoiceList, u"lstKashi"_s, u"歌詞有無"_s);
    txtKashiKey = named(new QLineEdit, u"txtKashiKey"_s);
    fraKensu2 = named(new QGroupBox(u"検索件数"_s), u"fraKensu2"_s);
    msgKyokumoku2 = named(new Grid, u"msgKyokumoku2"_s, u"検索結果の曲"_s);
    Frame9 = named(new QGroupBox(u"収録タイトル"_s), u"Frame9"_s);
    lstTitle = named(new QListWidget, u"lstTitle"_s, u"収録タイトル"_s);
    Frame7 = new LyricsSearch(state, dialogs, printer, *msgKyokumoku2, lyrics);
    for (QComboBox* combo : {cboSakushi, cboSakkyoku, cboHenkyoku}) {
        combo->setMinimumWidth(150);
        combo->setMaxVisibleItems(20);
    }

    auto* keys = new QFormLayout;
    keys->addRow(u"曲名キー"_s, txtKyokukey);
    keys->addRow(QString(), chkFuzzy2);
    keys->addRow(u"歌詞キー"_s, txtKashiKey);
    auto* makers = new QFormLayout;
    makers->addRow(u"作詞"_s, cboSakushi);
    makers->addRow(u"作曲"_s, cboSakkyoku);
    makers->addRow(u"編曲"_s, cboHenkyoku);
    auto* presenceAndMakers = captioned(u"歌詞有無"_s, lstKashi);
    presenceAndMakers->addSpacing(6);
    presenceAndMakers->addLayout(makers);
    presenceAndMakers->addStretch(1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(captioned(u"アーティスト"_s, lstSakusya3, 1), 3);
    lists->addLayout(captioned(u"ジャンル"_s, lstKeisai3, 1), 2);
    lists->addLayout(presenceAndMakers, 3);
    auto* fields = new QVBoxLayout(Frame8);
    fields->addLayout(keys);
    fields->addLayout(lists, 1);

    (new QVBoxLayout(fraKensu2))->addWidget(msgKyokumoku2);
    (new QVBoxLayout(Frame9))->addWidget(lstTitle);
    auto* found = new QVBoxLayout;
    found->addWidget(Frame8, 5);
    found->addWidget(fraKensu2, 6);
    found->addWidget(Frame9, 2);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Frame7, 4);
    layout->addLayout(found, 5);

    txtKyokukey->installEventFilter(this);
    txtKashiKey->installEventFilter(this);
    const std::pair<ChoiceList*, SongField> lists3[] = {{lstSakusya3, SongField::Artist},
                                                        {lstKeisai3, SongField::Genre}};
    for (const auto& [list, field] : lists3) {
        connect(list, &ChoiceList::chosen, this, [this, field = field](const QString& item) {
            showFound(searchrules::songsWhere(m_state.tracks, field, Match::Equals, item));
        });
    }
    const std::pair<QComboBox*, SongField> combos[] = {
        {cboSakushi, SongField::Lyricist}, {cboSakkyoku, SongField::Composer}, {cboHenkyoku, SongField::Arranger}};
    for (const auto& [combo, field] : combos) {
        connect(combo, &QComboBox::activated, this, [this, combo = combo, field = field](int index) {
            showFound(searchrules::songsWhere(m_state.tracks, field, Match::Equals, combo->itemText(index)));
        });
    }
    connect(lstKashi, &ChoiceList::chosen, this, &SongSearch::lstKashi_Click);
    lstSakusya3->typeAhead = [this](const QString& typed) {
        return fuzzyTypeAhead(typed, ReadingKind::Artist, m_state.nameMemo, m_state.readings);
    };
    lstKeisai3->typeAhead = [this](const QString& typed) {
        return fuzzyTypeAhead(typed, std::nullopt, m_state.nameMemo, m_state.readings);
    };
    findRowsByReading(*msgKyokumoku2, {{col::kName, ReadingKind::Song}}, m_state.nameMemo, m_state.readings);
    // After Frame7's own handler, which loads the lyrics.
    connect(msgKyokumoku2, &Grid::cellClicked, this, [this](int row) { listTitlesHoldingSong(row); });
    connect(lstTitle, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { m_navigator.ShowTitleByName(item->text()); });
}

SongSearch::~SongSearch() = default;

void SongSearch::ShowSongSearch()
{
    // The track lists are read while the screen opens: a song's titles are asked for next.
    m_state.trackLists.readAhead();
    show();
    repaintNow();
    Frame7->reloadUnchanged();
    showFuzzySwitch(chkFuzzy2);
    // The result grid is filled anew below, so no song is clicked.
    lstTitle->clear();
    lstKashi->clear();
    lstKashi->addItems({kPresent, kAbsent});
    fitRows(lstKashi);
    const std::pair<QComboBox*, Master> masters[] = {
        {cboSakushi, Master::Lyricist}, {cboSakkyoku, Master::Composer}, {cboHenkyoku, Master::Arranger}};
    for (const auto& [combo, master] : masters) {
        combo->clear();
        combo->addItems(ReadMaster(m_state.folder, master));
        combo->setCurrentIndex(-1);
    }

    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(m_state.tracks.count()));
    QStringList newArtists;
    for (const TrackRecord& s : m_state.tracks.records()) {
        rows.push_back(searchrules::foundSongRow(s.name, s.artist));
        if (!m_artistsListed.contains(s.artist)) {
            m_artistsListed.insert(s.artist);
            newArtists.append(s.artist);
        }
    }
    if (!newArtists.isEmpty() && listoptions::readingOrder()) {
        // The artists met before stay listed; all of them come in 五十音 order.
        for (int i = 0; i < lstSakusya3->count(); ++i)
            newArtists.append(lstSakusya3->item(i)->text());
        lstSakusya3->clear();
        newArtists = namesInUsersOrder(newArtists, ReadingKind::Artist, m_state.nameMemo, m_state.readings);
    }
    lstSakusya3->addItems(newArtists);
    lstKeisai3->clear();
    lstKeisai3->addItems(ReadMaster(m_state.folder, Master::SongGenre));
    showFound(std::move(rows));
    repaintNow();
    // The list is up: the names' keys are made now, not at the first click.
    m_state.nameMemo.prepareSongs(m_state.tracks.records(), m_state.readings, false);
    m_state.tour.show(tour::kSongSearch);
}

void SongSearch::showFound(std::vector<QStringList> rows)
{
    searchrules::MarkSongsWithLyrics(rows, m_lyrics);
    msgKyokumoku2->setDataRows(std::move(rows));
    fraKensu2->setTitle(searchrules::resultCount(msgKyokumoku2->rows() - 1));
}

void SongSearch::lstKashi_Click(const QString& item)
{
    msgKyokumoku2->setDataRows(searchrules::songsByLyrics(m_state.tracks, m_lyrics, item == kPresent));
    fraKensu2->setTitle(searchrules::resultCount(msgKyokumoku2->rows() - 1));
}

void SongSearch::searchLyrics(const QString& key)
{
    msgKyokumoku2->setDataRows(searchrules::songsWithLyricsHolding(m_state.folder, m_lyrics, m_state.tracks, key));
    // The word search of the lyrics box looks for the same word in a song clicked next.
    Frame7->txtKashiKey2->setText(key);
    fraKensu2->setTitle(searchrules::resultCount(msgKyokumoku2->rows() - 1));
}

void SongSearch::listTitlesHoldingSong(int row)
{
    if (msgKyokumoku2->rows() <= 1 || row < 1)
        return;
    lstTitle->clear();
    const int current = msgKyokumoku2->row();
    const BusyPointer busy(m_dialogs);
    lstTitle->addItems(searchrules::titlesHoldingSong(m_state.folder, m_state.trackLists, m_state.titles,
                                                      msgKyokumoku2->text(current, col::kName),
                                                      msgKyokumoku2->text(current, col::kArtist)));
}

bool SongSearch::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a key box that holds a key searches and goes no further; in an empty box
    // it is left to the box, and the results stay as they are.
    if ((watched == txtKyokukey || watched == txtKashiKey) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QLineEdit* box = static_cast<QLineEdit*>(watched);
            const QString typed = typedText(*box);
            if (!typed.isEmpty()) {
                if (box == txtKyokukey && chkFuzzy2->isChecked())
                    showFound(searchrules::songsFound(m_state.tracks, SongField::Name,
                                                      FuzzyNameQuery(m_state.nameMemo, m_state.readings, typed)));
                else if (box == txtKyokukey)
                    showFound(searchrules::songsWhere(m_state.tracks, SongField::Name, Match::Contains, typed));
                else
                    searchLyrics(typed);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}
