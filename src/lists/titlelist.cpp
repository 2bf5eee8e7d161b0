#include "titlelist.h"

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
#include "title/titlerules.h"
#include "store/japanese.h"
#include "upkeep/readingrules.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
namespace col = listrules::titlecol;

TitleList::TitleList(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_navigator(navigator)
{
    setObjectName(u"fraIchiran"_s);
    setFrameShape(QFrame::StyledPanel);

    msgIchiran = named(new Grid, u"msgIchiran"_s, u"タイトル一覧"_s);
    msgIchiran->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    sortBar = new SortButtons(*msgIchiran, u"cmdSort1"_s,
                              {u"タイトル"_s, u"アーティスト"_s, u"ジャンル"_s, u"評価"_s, u"メディア"_s, u"日付け"_s, u"メモ"_s},
                              TitleSortToggle);
    for (int i = 0; i < 7; ++i)
        cmdSort1[static_cast<size_t>(i)] = sortBar->button(i);
    orderNamesByReading(*sortBar, *msgIchiran, {{col::kName, ReadingKind::Title}, {col::kArtist, ReadingKind::Artist}},
                        state.nameMemo, state.readings);
    cmdTuika = named(new QPushButton(u"情報追加"_s), u"cmdTuika"_s);
    cmdTuika->setToolTip(u"情報追加モードになります"_s);
    cmdSortCng1 = named(new QPushButton(u"メインに反映"_s), u"cmdSortCng1"_s);

    fraTuika = named(new QGroupBox(u"情報追加"_s), u"fraTuika"_s);
    lblTitle = named(new QLabel, u"lblTitle"_s);
    lblArt = named(new QLabel, u"lblArt"_s);
    for (QLabel* label : {lblTitle, lblArt}) {
        label->setWordWrap(true);
        label->setFrameShape(QFrame::StyledPanel);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumHeight(label->fontMetrics().height() + 8);
    }
    cboMedia = mastercombo::editable(new QComboBox, u"cboMedia"_s);
    txtHizuke = named(new QLineEdit, u"txtHizuke"_s);
    txtMemo = named(new QLineEdit, u"txtMemo"_s);
    txtReading = named(new QLineEdit, u"txtReading"_s, u"タイトルの読み"_s);
    txtReading->setToolTip(u"タイトル名の読み（カタカナかひらがな）。並び替えと検索に使います"_s);
    txtArtistReading = named(new QLineEdit, u"txtArtistReading"_s, u"アーティストの読み"_s);
    txtArtistReading->setToolTip(u"アーティスト名の読み。このアーティストのタイトルすべてに使います"_s);
    cmdThozon = named(new QPushButton(u"保存"_s), u"cmdThozon"_s);
    cmdSort = named(new QPushButton(u"-"_s), u"cmdSort"_s);
    cmdSort->setToolTip(u"ソート画面に戻る"_s);
    cmdSort->setFixedWidth(cmdSort->sizeHint().height() + 8);

    auto* fields = captionedRows({u"タイトル"_s, u"読み"_s, u"アーティスト"_s, u"読み"_s, u"メディア"_s, u"日付け"_s, u"メモ"_s},
                                 {lblTitle, txtReading, lblArt, txtArtistReading, cboMedia, txtHizuke, txtMemo});
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addWidget(cmdThozon, 1);
    panelButtons->addWidget(cmdSort);
    auto* panel = new QVBoxLayout(fraTuika);
    panel->addLayout(fields);
    panel->addLayout(panelButtons);
    panel->addStretch(1);
    fraTuika->setFixedWidth(380);
    fraTuika->hide();

    auto* gridColumn = new QVBoxLayout;
    gridColumn->setSpacing(0);
    gridColumn->addWidget(sortBar);
    gridColumn->addWidget(msgIchiran, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(gridColumn, 1);
    body->addWidget(fraTuika);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTuika);
    buttons->addWidget(cmdSortCng1);
    buttons->addSpacing(16);
    cboNarabi1 = addOrderChoice(buttons, u"cboNarabi1"_s);
    // The main screen's artist box takes the new order at once.
    connect(cboNarabi1, &QComboBox::activated, this, [this] { m_navigator.reloadMaster(Master::Artist); });
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    // The row being edited stays marked wherever a sort takes it.
    connect(sortBar, &SortButtons::sorted, this, [this] {
        if (const int r = editedRow(); r > 0)
            msgIchiran->setCurrentCell(r, msgIchiran->col());
    });
    connect(msgIchiran, &Grid::cellClicked, this, [this](int row, int) { msgIchiran_Click(row); });
    connect(msgIchiran, &Grid::userMovedToCell, this, [this](int row, int) { msgIchiran_Click(row); });
    connect(msgIchiran, &Grid::cellDoubleClicked, this, [this](int row, int) { msgIchiran_DblClick(row); });
    connect(cmdTuika, &QPushButton::clicked, this, &TitleList::cmdTuika_Click);
    connect(cmdThozon, &QPushButton::clicked, this, &TitleList::cmdThozon_Click);
    connect(cmdSort, &QPushButton::clicked, fraTuika, &QWidget::hide);
    connect(cmdSortCng1, &QPushButton::clicked, this, &TitleList::cmdSortCng1_Click);
    mastercombo::onEnter(cboMedia, [this](const QString& typed) { AddMediaName(typed); });
}

void TitleList::ShowTitleList()
{
    {
        const BusyPointer busy(m_dialogs);
        repaintNow();
        emptyPanel();
        showOrderChoice(cboNarabi1);
        cboMedia->clear();
        cboMedia->addItems(ReadMaster(m_state.folder, Master::Media));
        cboMedia->setEditText(QString());

        std::vector<QStringList> rows;
        rows.reserve(static_cast<size_t>(m_state.titles.count()));
        int r = 0;
        for (const TitleRecord& t : m_state.titles.records())
            rows.push_back(listrules::titleRow(t, ++r));
        msgIchiran->setDataRows(std::move(rows));
        showGenresWhole(*msgIchiran, listrules::titlecol::kGenre);
    }
    repaintNow();
    show();
    repaintNow();
    // The list is up: the names' keys are made now, not at the first click.
    m_state.nameMemo.prepareTitles(m_state.titles.records(), m_state.readings, true);
    m_state.tour.show(tour::kTitleList);
}

void TitleList::emptyPanel()
{
    m_editKey.clear();
    lblTitle->clear();
    lblArt->clear();
    cboMedia->setEditText(QString());
    txtHizuke->clear();
    txtMemo->clear();
    txtReading->clear();
    txtArtistReading->clear();
    txtArtistReading->setEnabled(true);
}

void TitleList::msgIchiran_Click(int row)
{
    if (row < 1 || row >= msgIchiran->rows())
        return;
    m_editKey = msgIchiran->text(row, col::kOrderKey);
    lblTitle->setText(msgIchiran->text(row, col::kName));
    lblArt->setText(msgIchiran->text(row, col::kArtist));
    cboMedia->setEditText(msgIchiran->text(row, col::kMedia));
    txtHizuke->setText(msgIchiran->text(row, col::kDate));
    txtMemo->setText(msgIchiran->text(row, col::kMemo));
    const QString artist = msgIchiran->text(row, col::kArtist);
    txtReading->setText(m_state.readings.reading(ReadingKind::Title, lblTitle->text()));
    txtArtistReading->setText(m_state.readings.reading(ReadingKind::Artist, artist));
    // No reading is kept for the stand-ins for no artist or several.
    txtArtistReading->setEnabled(readingrules::isArtistName(artist));
}

void TitleList::msgIchiran_DblClick(int row)
{
    if (row < 1 || row >= msgIchiran->rows())
        return;
    msgIchiran->setCurrentCell(row, col::kName);
    m_navigator.ShowTitleByName(msgIchiran->text(row, col::kName));
}

void TitleList::cmdTuika_Click()
{
    if (msgIchiran->rows() <= 1)
        return;
    emptyPanel();
    msgIchiran->sortRows(col::kOrderKey, Qt::AscendingOrder, Grid::SortAs::Number);
    // The panel is empty until a row is chosen: no row stays marked as if it were.
    msgIchiran->setCurrentCell(0, 0);
    fraTuika->show();
}

int TitleList::editedRow() const
{
    return m_editKey.isEmpty() ? 0 : msgIchiran->findRow(col::kOrderKey, m_editKey);
}

void TitleList::cmdThozon_Click()
{
    const int r = editedRow();
    if (lblTitle->text().isEmpty() || r == 0) {
        m_dialogs.message(u"先に編集対象をクリックしてください"_s, u"対象未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    const QString media = typedText(*cboMedia);
    const QString date = typedText(*txtHizuke);
    const QString memo = typedText(*txtMemo);
    const std::pair<QString, int> edits[] = {{media, col::kMedia}, {date, col::kDate}, {memo, col::kMemo}};
    for (const auto& [value, column] : edits) {
        if (!mastercombo::acceptableChange(value, msgIchiran->text(r, column), m_dialogs))
            return;
    }
    const std::optional<ReadingTable> readings = typedReadings(msgIchiran->text(r, col::kName), msgIchiran->text(r, col::kArtist));
    if (!readings)
        return;

    // The whole file from the grid, in main order whatever order is on view: only
    // "メインに反映" changes the main order, and it asks first.
    QStringList keys;
    for (int row = 1; row < msgIchiran->rows(); ++row)
        keys.append(msgIchiran->text(row, col::kOrderKey));
    std::vector<TitleRecord> records;
    records.reserve(static_cast<size_t>(msgIchiran->rows() - 1));
    for (const int row : listrules::rowsInKeyOrder(keys)) {
        QStringList cells;
        for (int c = 0; c < col::kOrderKey; ++c)
            cells.append(msgIchiran->text(row, c));
        if (row == r) {
            cells[col::kMedia] = media;
            cells[col::kDate] = date;
            cells[col::kMemo] = memo;
        }
        records.push_back(listrules::titleOfRow(cells));
    }
    // The title file and the readings in one write: both or neither.
    WriteResult written;
    ReadingTable keptReadings;
    std::vector<DataFolder::Change> changes;
    if (auto titleFile = TitleFileChange(records, &written))
        changes.push_back(std::move(*titleFile));
    if (written.ok()) {
        if (auto readingFile = readingrules::readingsChange(m_state.readings, *readings, records,
                                                            m_state.tracks.records(), &written, &keptReadings))
            changes.push_back(std::move(*readingFile));
    }
    if (written.ok())
        written = m_state.folder.write(changes);
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return;
    }
    if (changes.size() > 1) {
        m_state.readings = std::move(keptReadings);
        m_navigator.reloadMaster(Master::Artist);
    }
    msgIchiran->setText(r, col::kMedia, media);
    msgIchiran->setText(r, col::kDate, date);
    msgIchiran->setText(r, col::kMemo, memo);
    titlesRewritten(0);
    // A stored media that the master cannot take as it stands stays out of it.
    if (mastercombo::storable(media))
        AddMediaName(media);
    emptyPanel();
}

std::optional<ReadingTable> TitleList::typedReadings(const QString& title, const QString& artist)
{
    ReadingTable edited = m_state.readings;
    std::vector<std::tuple<QLineEdit*, ReadingKind, QString>> boxes{{txtReading, ReadingKind::Title, title}};
    if (txtArtistReading->isEnabled())
        boxes.emplace_back(txtArtistReading, ReadingKind::Artist, artist);
    for (const auto& [box, kind, name] : boxes) {
        const QString typed = box->text();
        // A box left as it was changes nothing, whatever the name holds (a tab in a
        // title file edited by hand).
        if (japanese::readingForm(typed) == edited.reading(kind, name))
            continue;
        if (const auto refusal = edited.set(kind, name, typed)) {
            m_dialogs.message(refusal->message, refusal->title, Dialogs::Icon::Exclamation);
            box->setFocus(Qt::OtherFocusReason);
            return std::nullopt;
        }
    }
    return edited;
}

void TitleList::AddMediaName(const QString& typed)
{
    if (typed.isEmpty() || !mastercombo::acceptable(typed, m_dialogs))
        return;
    mastercombo::addIfNew(cboMedia, Master::Media, typed, m_state.folder, m_dialogs);
}

void TitleList::cmdSortCng1_Click()
{
    if (msgIchiran->rows() <= 1)
        return;
    if (m_dialogs.message(u"現在表示中の順番でメインのデータも並び替えますか？\r\n\r\n良かったらＯＫボタンを押してください"_s,
                          u"メイン並び替え確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::OkCancel)
        != Dialogs::Answer::Ok)
        return;
    msgIchiran->setCurrentCell(msgIchiran->row(), col::kName);
    QStringList names;
    names.reserve(msgIchiran->rows() - 1);
    for (int row = 1; row < msgIchiran->rows(); ++row)
        names.append(msgIchiran->text(row, col::kName));
    const WriteResult written = SaveTitleFile(m_state.folder, titlerules::titlesInListOrder(names, m_state.titles));
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return;
    }
    titlesRewritten(1);
    renumber();
    m_dialogs.message(u"並び替えた順番をメインの順番に反映させました。"_s, u"並び替え完了"_s, Dialogs::Icon::Information);
}

void TitleList::titlesRewritten(int k)
{
    m_navigator.reloadTitles(k);
    m_state.CatalogueReady = false;
}

void TitleList::renumber()
{
    const int edited = editedRow();
    for (int r = 1; r < msgIchiran->rows(); ++r)
        msgIchiran->setText(r, col::kOrderKey, listrules::titleOrderKey(r));
    if (edited > 0)
        m_editKey = listrules::titleOrderKey(edited);
}
