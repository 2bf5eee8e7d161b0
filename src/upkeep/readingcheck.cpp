#include "readingcheck.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/named.h"
#include "platform/readingguesser.h"
#include "platform/repaint.h"
#include "store/japanese.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long one slice of suggestions may hold the screen.
constexpr qint64 kSliceMs = 30;

QString noteOf(ReadingRows::Guess guess)
{
    switch (guess) {
    case ReadingRows::Guess::Waiting:
        return u"候補を調べています"_s;
    case ReadingRows::Guess::None:
        return u"候補なし"_s;
    case ReadingRows::Guess::Unsure:
        return u"要確認"_s;
    case ReadingRows::Guess::Typed:
        return u"入力"_s;
    case ReadingRows::Guess::Sure:
        break;
    }
    return {};
}

} // namespace

void ReadingRows::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ReadingRows::guessed(int r, Guess guess, const QString& reading)
{
    Row& row = m_rows[static_cast<size_t>(r)];
    // A reading typed meanwhile stays.
    if (row.guess != Guess::Waiting)
        return;
    row.guess = guess;
    row.reading = reading;
    row.ticked = guess == Guess::Sure;
    emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
}

void ReadingRows::tickAll(bool on)
{
    for (Row& row : m_rows)
        row.ticked = on && !row.reading.isEmpty();
    if (!m_rows.empty())
        emit dataChanged(index(0, Tick), index(rowCount() - 1, Tick));
}

void ReadingRows::removeRows(const std::vector<int>& rows)
{
    // From the last, so that the numbers of those before stay.
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    for (const int r : sorted) {
        beginRemoveRows({}, r, r);
        m_rows.erase(m_rows.begin() + r);
        endRemoveRows();
    }
}

int ReadingRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ReadingRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReadingRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const bool artist = row.pending.kind == ReadingKind::Artist;
    if (role == Qt::CheckStateRole && index.column() == Tick)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
        case Kind:
            return artist ? u"歌手"_s : u"タイトル"_s;
        case Name:
            return row.pending.name;
        case Reading:
            return row.reading;
        case Note:
            return noteOf(row.guess);
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        if (artist && index.column() <= Name)
            return u"この歌手の読みは、タイトル %1 件すべての並び替えと検索に使われます"_s.arg(row.pending.titles);
        if (index.column() == Note && row.guess == Guess::Unsure)
            return u"辞書にない語があるか、別の読みもありえます。読みを確かめてください"_s;
    }
    return {};
}

bool ReadingRows::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    Row& row = m_rows[static_cast<size_t>(index.row())];
    if (index.column() == Tick && role == Qt::CheckStateRole) {
        row.ticked = value.value<Qt::CheckState>() == Qt::Checked;
        emit dataChanged(index, index);
        return true;
    }
    if (index.column() == Reading && role == Qt::EditRole) {
        const QString typed = value.toString();
        if (typed == row.reading)
            return false;
        // Shown in the form it will be kept in (ひらがな as カタカナ); what cannot be
        // kept stays as typed, for the user to see when it is refused.
        row.reading = japanese::readingRefusal(typed) ? typed : japanese::readingForm(typed);
        row.guess = Guess::Typed;
        row.ticked = !row.reading.isEmpty();
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
        return true;
    }
    return false;
}

Qt::ItemFlags ReadingRows::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Tick)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == Reading)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant ReadingRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Tick:
        return u"登録"_s;
    case Kind:
        return u"種類"_s;
    case Name:
        return u"名前"_s;
    case Reading:
        return u"読み"_s;
    case Note:
        return u"確認"_s;
    default:
        return {};
    }
}

ReadingCheck::ReadingCheck(AppState& state, Dialogs& dialogs, ReadingGuesser& guesser, Navigator& navigator,
                           QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_guesser(guesser)
    , m_navigator(navigator)
{
    setObjectName(u"fraReadingCheck"_s);
    setFrameShape(QFrame::StyledPanel);

    lblReadingCheck = named(new QLabel, u"lblReadingCheck"_s);
    lblReadingCheck->setWordWrap(true);
    lblGuesser = named(new QLabel, u"lblGuesser"_s);
    lblGuesser->setWordWrap(true);
    lblGuesser->setText(u"読みの候補を出す MeCab（IPA 辞書）がこのコンピュータにないため、候補は出せません。読みを入力してください。"_s);
    tblReadings = named(new QTableView, u"tblReadings"_s, u"読みの登録されていない名前"_s);
    tblReadings->setModel(&m_rows);
    tblReadings->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblReadings->setSelectionMode(QAbstractItemView::SingleSelection);
    tblReadings->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    tblReadings->verticalHeader()->hide();
    tblReadings->verticalHeader()->setDefaultSectionSize(tblReadings->fontMetrics().height() + 8);
    QHeaderView* header = tblReadings->horizontalHeader();
    header->setSectionResizeMode(ReadingRows::Name, QHeaderView::Stretch);
    header->setSectionResizeMode(ReadingRows::Reading, QHeaderView::Stretch);
    for (const int column : {int(ReadingRows::Tick), int(ReadingRows::Kind), int(ReadingRows::Note)})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);

    cmdSelectAll = named(new QPushButton(u"すべて選択"_s), u"cmdSelectAll"_s);
    cmdSelectNone = named(new QPushButton(u"選択解除"_s), u"cmdSelectNone"_s);
    cmdRegister = named(new QPushButton(u"この読みで登録"_s), u"cmdRegister"_s);
    cmdRegister->setToolTip(u"チェックを付けた行の読みを登録します"_s);
    cmdClose = named(new QPushButton(u"閉じる"_s), u"cmdClose"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSelectAll);
    buttons->addWidget(cmdSelectNone);
    buttons->addStretch(1);
    buttons->addWidget(cmdRegister);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblReadingCheck);
    layout->addWidget(lblGuesser);
    layout->addWidget(tblReadings, 1);
    layout->addLayout(buttons);

    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { m_rows.tickAll(true); });
    connect(cmdSelectNone, &QPushButton::clicked, this, [this] { m_rows.tickAll(false); });
    connect(cmdRegister, &QPushButton::clicked, this, &ReadingCheck::cmdRegister_Click);
    connect(cmdClose, &QPushButton::clicked, this, &ReadingCheck::closed);
    connect(&m_rows, &QAbstractItemModel::rowsRemoved, this, &ReadingCheck::showCount);
}

void ReadingCheck::ShowReadingCheck(const QStringList& titles)
{
    {
        const BusyPointer busy(m_dialogs);
        const QSet<QString> only(titles.cbegin(), titles.cend());
        std::vector<ReadingRows::Row> rows;
        for (readingrules::PendingName& name : readingrules::namesWithoutReading(m_state.titles, m_state.readings, only))
            rows.push_back({std::move(name), {}, ReadingRows::Guess::Waiting, false});
        m_rows.setRows(std::move(rows));
        m_guessed = 0;
        ++m_filling;
    }
    lblGuesser->setVisible(!m_guesser.isAvailable());
    showCount();
    m_navigator.HideAllPanels();
    show();
    repaintNow();
    guessSome();
}

void ReadingCheck::showCount()
{
    const int count = m_rows.rowCount();
    lblReadingCheck->setText(
        count == 0 ? u"読みの登録されていない名前はありません。"_s
                   : u"読みの登録されていない名前が %1 件あります。読みを確かめて（違っていれば直して）チェックを付け、"
                     "「この読みで登録」を押してください。歌手の読みは、その歌手のタイトルすべてに使われます。"_s.arg(count));
}

void ReadingCheck::guessSome()
{
    const int filling = m_filling;
    QElapsedTimer slice;
    slice.start();
    const int count = m_rows.rowCount();
    while (m_guessed < count && slice.elapsed() < kSliceMs) {
        const int r = m_guessed++;
        const ReadingRows::Row& row = m_rows.rows()[static_cast<size_t>(r)];
        const std::optional<ReadingGuess> guess = m_guesser.guess(row.pending.name);
        if (!guess || guess->reading.isEmpty() || !japanese::isReading(guess->reading))
            m_rows.guessed(r, ReadingRows::Guess::None, {});
        else
            m_rows.guessed(r, guess->unsure ? ReadingRows::Guess::Unsure : ReadingRows::Guess::Sure, guess->reading);
    }
    if (m_guessed < count) {
        QTimer::singleShot(0, this, [this, filling] {
            if (filling == m_filling)
                guessSome();
        });
    }
}

void ReadingCheck::editReading(int r)
{
    const QModelIndex at = m_rows.index(r, ReadingRows::Reading);
    tblReadings->setCurrentIndex(at);
    tblReadings->scrollTo(at);
    tblReadings->setFocus(Qt::OtherFocusReason);
}

void ReadingCheck::cmdRegister_Click()
{
    // What is being typed in a cell counts.
    const QModelIndex editing = tblReadings->currentIndex();
    if (QWidget* editor = tblReadings->indexWidget(editing))
        tblReadings->itemDelegate()->setModelData(editor, &m_rows, editing);

    std::vector<int> ticked;
    for (int r = 0; r < m_rows.rowCount(); ++r) {
        if (m_rows.rows()[static_cast<size_t>(r)].ticked)
            ticked.push_back(r);
    }
    if (ticked.empty()) {
        m_dialogs.message(u"登録する読みの行にチェックを付けてください"_s, u"対象未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    ReadingTable edited = m_state.readings;
    for (const int r : ticked) {
        const ReadingRows::Row& row = m_rows.rows()[static_cast<size_t>(r)];
        if (japanese::readingForm(row.reading).isEmpty()) {
            m_dialogs.message(u"「%1」の読みを入力してください"_s.arg(row.pending.name), u"読み未入力"_s,
                              Dialogs::Icon::Exclamation);
            editReading(r);
            return;
        }
        if (const std::optional<ReadingSetRefusal> refusal = edited.set(row.pending.kind, row.pending.name, row.reading)) {
            m_dialogs.message(u"「%1」：%2"_s.arg(row.pending.name, refusal->message), refusal->title,
                              Dialogs::Icon::Exclamation);
            editReading(r);
            return;
        }
    }
    WriteResult refused;
    ReadingTable written;
    const std::optional<DataFolder::Change> change = readingrules::readingsChange(
        m_state.readings, std::move(edited), m_state.titles.records(), m_state.tracks.records(), &refused, &written);
    if (!refused.ok()) {
        tellWriteFailure(m_dialogs, refused);
        return;
    }
    if (change) {
        const WriteResult result = m_state.folder.write({*change});
        if (!result.ok()) {
            tellWriteFailure(m_dialogs, result);
            return;
        }
        m_state.readings = std::move(written);
        // The artist box follows the readings' order.
        m_navigator.reloadMaster(Master::Artist);
    }
    // Suggestions still to come go on from the same row.
    m_guessed -= static_cast<int>(std::count_if(ticked.begin(), ticked.end(), [this](int r) { return r < m_guessed; }));
    m_rows.removeRows(ticked);
    m_dialogs.message(u"%1 件の読みを登録しました。"_s.arg(ticked.size()), u"読みの登録"_s, Dialogs::Icon::Information);
}
