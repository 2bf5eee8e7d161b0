#include "musicimport.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "store/collectionfiles.h"
#include "store/namerules.h"
#include "upkeep/readingrules.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QStyledItemDelegate>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMutex>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

using namespace Qt::Literals::StringLiterals;

namespace {

// A cover as it is kept: JPEG, GIF and BMP as they are, another kind of picture (PNG,
// WebP) as a JPEG of quality 92; nothing when the bytes are no whole picture.
QByteArray keptCover(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !PictureBox::isPicture(bytes))
        return {};
    if (!albumrules::coverExtension(bytes).isEmpty())
        return bytes;
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    return QImage::fromData(bytes).save(&out, "JPEG", 92) ? jpeg : QByteArray();
}

// The cover an album keeps, when it has one: its picture as it will be written, or
// the album marked as having only a broken one.
void keepCover(MusicScan& scan, const QString& key, const QByteArray& bytes)
{
    const QByteArray kept = keptCover(bytes);
    if (kept.isEmpty()) {
        scan.brokenCovers.insert(key);
    } else {
        scan.covers.insert(key, kept);
        scan.brokenCovers.remove(key);
    }
}

// The scan's own threads. The window paints with the shared pool's threads; were the
// scan to fill that pool, a repaint would wait behind the file being read, and the
// window (and its 中止) with it. Never destroyed before the program ends, so nothing
// waits on a scan left behind.
QThreadPool& scanThreads()
{
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        // One more than the cores: the thread that runs the scan waits on the others.
        p->setMaxThreadCount(QThread::idealThreadCount() + 1);
        return p;
    }();
    return *pool;
}

// Runs on a worker: lists the folder, reads every file's tags and finds each album's
// cover. Told through the promise: the folder being read, then files read of all.
// Nothing here reaches the panel: a scan stopped or left behind ends on its own,
// soon after it is cancelled (each file read stops at its next block).
void scanFolder(QPromise<MusicScan>& promise, const QString& folder)
{
    const auto stopped = [&promise] { return promise.isCanceled(); };
    promise.setProgressRange(0, 0);
    MusicScan scan;
    int folders = 0;
    const QStringList paths = musictags::musicFilesBelow(
        folder,
        [&](const QString& current) {
            if (++folders % 8 == 1)
                promise.setProgressValueAndText(0, u"フォルダを読んでいます：%1"_s.arg(QDir::toNativeSeparators(current)));
            return !stopped();
        },
        &scan.unreadable);
    const int total = static_cast<int>(paths.size());
    promise.setProgressRange(0, std::max(total, 1));
    QHash<QString, QString> firstFolder;
    // Each album keeps one picture, the first found in file order: a file reads its
    // picture only while no earlier file of its album has given one, and a picture an
    // earlier file gives later is dropped as soon as read.
    QMutex coverLock;
    QHash<QString, int> coverFrom;
    struct Read {
        std::optional<MusicFile> file;
        QString reason;
    };
    const auto read = [&](int index) {
        Read r;
        QString key;
        const auto earlier = [&] {
            const auto at = coverFrom.constFind(key);
            return at != coverFrom.cend() && *at < index;
        };
        r.file = musictags::readMusicFile(
            paths[index],
            [&](const MusicFile& file) {
                key = albumrules::albumKey(file);
                const QMutexLocker locked(&coverLock);
                return !earlier();
            },
            &r.reason, stopped);
        if (r.file && !r.file->cover.isEmpty()) {
            const QMutexLocker locked(&coverLock);
            if (earlier())
                r.file->cover = QByteArray();
            else
                coverFrom.insert(key, index);
        }
        return r;
    };
    // Read on every core a chunk at a time (the disk is kept busy while a file is
    // parsed); a cancel is seen by every read at its next block.
    constexpr int kChunk = 64;
    for (int start = 0; start < total && !stopped(); start += kChunk) {
        QList<int> chunk;
        for (int i = start; i < std::min(start + kChunk, total); ++i)
            chunk.append(i);
        std::vector<Read> files = QtConcurrent::blockingMapped<std::vector<Read>>(&scanThreads(), chunk, read);
        for (size_t i = 0; i < files.size() && !stopped(); ++i) {
            std::optional<MusicFile>& file = files[i].file;
            if (!file) {
                scan.unreadable.push_back({paths[chunk[static_cast<qsizetype>(i)]], files[i].reason});
                continue;
            }
            const QString key = albumrules::albumKey(*file);
            if (!file->cover.isEmpty() && !scan.covers.contains(key) && !scan.brokenCovers.contains(key))
                keepCover(scan, key, file->cover);
            file->cover = QByteArray();
            if (!firstFolder.contains(key))
                firstFolder.insert(key, file->folder);
            scan.files.push_back(std::move(*file));
        }
        const int done = std::min(start + kChunk, total);
        promise.setProgressValueAndText(done, u"%1 / %2 ファイル　%3"_s.arg(done).arg(total).arg(QDir::toNativeSeparators(
                                                  QFileInfo(paths[done - 1]).absolutePath())));
    }
    // Albums without a picture of their own take their folder's.
    for (auto it = firstFolder.cbegin(); it != firstFolder.cend() && !stopped(); ++it) {
        if (scan.covers.contains(it.key()))
            continue;
        if (const QByteArray bytes = musictags::folderCover(it.value(), &scan.unreadable); !bytes.isEmpty())
            keepCover(scan, it.key(), bytes);
    }
    if (stopped())
        return;
    std::sort(scan.unreadable.begin(), scan.unreadable.end(),
              [](const Unreadable& a, const Unreadable& b) { return a.path < b.path; });
    scan.unreadable.erase(std::unique(scan.unreadable.begin(), scan.unreadable.end(),
                                      [](const Unreadable& a, const Unreadable& b) { return a.path == b.path; }),
                          scan.unreadable.end());
    promise.addResult(std::move(scan));
}

QPushButton* button(const QString& name, const QString& caption)
{
    return named(new QPushButton(caption), name);
}

// The first line of what the store says of a failed write, with the system's reason.
QString reasonOf(const WriteResult& result)
{
    QString reason = result.message().section(u"\r\n"_s, 0, 0);
    if (!result.detail.isEmpty() && !reason.contains(result.detail))
        reason += u"（%1）"_s.arg(result.detail);
    return reason;
}

// The row note of an album the user may choose to make with stand-ins.
QString standInNote(const albumrules::PlannedTitle& t)
{
    return u"保存できない文字があります。チェックを付けると〓にして取り込みます："_s + t.standIns.join(u"、"_s);
}

// Whether name is one of the files title writes (its own, or a lyrics file of its songs).
bool writesFile(const albumrules::PlannedTitle& title, const QByteArray& cover, const QString& name)
{
    QStringList names = albumrules::ownFiles(title, cover);
    for (const albumrules::Track& t : title.tracks)
        names.append(namerules::lyricsFileName(t.song, t.artist));
    return names.contains(name, Qt::CaseInsensitive);
}

// Runs on a worker, through a door of its own to the data folder (the window's keeps
// serving the screens meanwhile; no other screen writes while this runs): reads the collection
// as its files hold it now (another program may have added to it since the scan),
// checks the titles against it and the folder again, makes those that pass in one
// write, and reads the tables back. A title that must replace a file the user did not
// agree to (one made meanwhile) is left out; so is a title whose own file the system
// refuses, and the rest are written again. A failure of any other file (a full disk)
// is the whole import's: nothing is written.
void writeOnWorker(QPromise<MusicImport::Written>& promise, const QString& path,
                   const std::vector<albumrules::PlannedTitle>& titles, const std::vector<QByteArray>& covers,
                   const std::vector<QStringList>& agreed)
{
    DataFolder folder(path);
    MusicImport::Written out;
    promise.setProgressRange(0, 3);
    promise.setProgressValueAndText(0, u"コレクションを確かめています..."_s);
    TitleTable current;
    LoadTitleFile(folder, &current);
    TrackTable tracks;
    LoadTrackTable(folder, &tracks);
    std::vector<const albumrules::PlannedTitle*> all;
    for (const albumrules::PlannedTitle& t : titles)
        all.push_back(&t);
    out.checks = albumrules::checkTitles(folder, current, tracks, all, covers);
    out.made.assign(titles.size(), 0);
    std::vector<size_t> good;
    for (size_t i = 0; i < titles.size(); ++i) {
        albumrules::TitleCheck& check = out.checks[i];
        for (const QString& name : std::as_const(check.replaced)) {
            if (check.ok() && !agreed[i].contains(name, Qt::CaseInsensitive))
                check.refusal = u"「%1」が確かめた後にできたため取り込まない"_s.arg(name);
        }
        if (check.ok())
            good.push_back(i);
    }
    promise.setProgressValueAndText(1, u"%1 件のタイトルを書き込んでいます..."_s.arg(good.size()));
    while (!good.empty()) {
        std::vector<const albumrules::PlannedTitle*> writing;
        std::vector<QByteArray> writingCovers;
        for (const size_t i : good) {
            writing.push_back(&titles[i]);
            writingCovers.push_back(covers[i]);
        }
        QSet<std::pair<QString, QString>> added;
        out.result = albumrules::writeTitles(folder, current, tracks, &added, writing, writingCovers);
        if (out.result.ok()) {
            for (const size_t i : good)
                out.made[i] = 1;
            break;
        }
        const auto owner = std::find_if(good.begin(), good.end(), [&](size_t i) {
            return writesFile(titles[i], covers[i], out.result.fileName);
        });
        if (owner == good.end() || out.result.kind == WriteResult::Kind::DiskFull
            || out.result.kind == WriteResult::Kind::ReadOnly)
            break;
        out.checks[*owner].refusal = u"取り込めませんでした：%1"_s.arg(reasonOf(out.result));
        good.erase(owner);
    }
    if (std::find(out.made.begin(), out.made.end(), 1) != out.made.end()) {
        promise.setProgressValueAndText(2, u"コレクションを読み直しています..."_s);
        LoadTitleFile(folder, &out.titles);
        LoadTrackTable(folder, &out.tracks);
        out.reloaded = true;
    }
    promise.setProgressValue(3);
    promise.addResult(std::move(out));
}

// Draws the box of an album that cannot be ticked as a disabled one, while its row can
// still be reached from the keyboard.
class TickDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(index.flags() & Qt::ItemIsUserCheckable))
            option->state &= ~QStyle::State_Enabled;
    }
};

} // namespace

MusicImport::MusicImport(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
{
    setObjectName(u"fraMusicImport"_s);
    setFrameShape(QFrame::StyledPanel);
    auto* heading = new QLabel(u"音楽ファイルから取り込み"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    lblFolder = named(new QLabel(u"フォルダを選んでください。"_s), u"lblFolder"_s);
    cmdFolder = button(u"cmdFolder"_s, u"フォルダを選ぶ..."_s);
    prgScan = named(new QProgressBar, u"prgScan"_s, u"読み込みの進み具合"_s);
    lblScan = named(new QLabel, u"lblScan"_s);
    cmdStop = button(u"cmdStop"_s, u"中止"_s);
    lblUnreadable = named(new QLabel, u"lblUnreadable"_s);
    lstUnreadable = named(new QListWidget, u"lstUnreadable"_s, u"読めないファイル"_s);
    lblUnreadable->setBuddy(lstUnreadable);
    lstUnreadable->setMaximumHeight(lstUnreadable->fontMetrics().height() * 6);
    tblAlbums = named(new QTableWidget(0, ColumnCount), u"tblAlbums"_s, u"見つかったアルバム"_s);
    tblAlbums->setHorizontalHeaderLabels({u"取込"_s, u"タイトル名"_s, u"アーティスト"_s, u"ジャンル"_s, u"日付け"_s,
                                          u"曲数"_s, u"画像"_s, u"歌詞"_s, u"注意"_s});
    tblAlbums->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblAlbums->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblAlbums->setSelectionMode(QAbstractItemView::SingleSelection);
    tblAlbums->setItemDelegateForColumn(Tick, new TickDelegate(tblAlbums));
    tblAlbums->verticalHeader()->hide();
    tblAlbums->horizontalHeader()->setStretchLastSection(true);
    // Sorted by a click on a column's heading, never while the rows are filled.
    tblAlbums->horizontalHeader()->setSectionsClickable(true);
    tblAlbums->horizontalHeader()->setSortIndicatorShown(false);
    tblAlbums->installEventFilter(this);
    for (const auto& [column, width] : {std::pair{Tick, 40}, {Name, 260}, {Artist, 180}, {Genre, 100}, {Date, 90},
                                        {Tracks, 44}, {Cover, 44}, {Lyrics, 44}})
        tblAlbums->setColumnWidth(column, width);
    cmdSelectAll = button(u"cmdSelectAll"_s, u"すべて選ぶ"_s);
    cmdSelectNone = button(u"cmdSelectNone"_s, u"すべて外す"_s);
    cmdImport = button(u"cmdImport"_s, u"取り込む"_s);
    cmdClose = button(u"cmdClose"_s, u"閉じる"_s);
    cmdReadings = button(u"cmdReadings"_s, u"読みの確認"_s);
    cmdReadings->setToolTip(u"取り込んだタイトルと歌手の名前の読みを確認します"_s);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(cmdFolder);
    folderRow->addWidget(lblFolder, 1);
    auto* scanRow = new QHBoxLayout;
    scanRow->addWidget(prgScan, 1);
    scanRow->addWidget(cmdStop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSelectAll);
    buttons->addWidget(cmdSelectNone);
    buttons->addStretch(1);
    buttons->addWidget(cmdReadings);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(folderRow);
    layout->addLayout(scanRow);
    layout->addWidget(lblScan);
    layout->addWidget(lblUnreadable);
    layout->addWidget(lstUnreadable);
    layout->addWidget(tblAlbums, 1);
    layout->addLayout(buttons);

    connect(cmdFolder, &QPushButton::clicked, this, &MusicImport::cmdFolder_Click);
    connect(cmdStop, &QPushButton::clicked, this, &MusicImport::cmdStop_Click);
    connect(cmdImport, &QPushButton::clicked, this, &MusicImport::cmdImport_Click);
    connect(cmdReadings, &QPushButton::clicked, this, [this] { emit readingsWanted(m_made); });
    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(cmdSelectNone, &QPushButton::clicked, this, [this] { tickAll(false); });
    connect(tblAlbums->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        QHeaderView& header = *tblAlbums->horizontalHeader();
        const Qt::SortOrder order = header.isSortIndicatorShown() && header.sortIndicatorSection() == column
                && header.sortIndicatorOrder() == Qt::AscendingOrder
            ? Qt::DescendingOrder
            : Qt::AscendingOrder;
        header.setSortIndicatorShown(true);
        header.setSortIndicator(column, order);
        tblAlbums->sortItems(column, order);
    });
    connect(&m_writer, &QFutureWatcher<Written>::progressRangeChanged, prgScan, &QProgressBar::setRange);
    connect(&m_writer, &QFutureWatcher<Written>::progressValueChanged, prgScan, &QProgressBar::setValue);
    connect(&m_writer, &QFutureWatcher<Written>::progressTextChanged, lblScan, &QLabel::setText);
    connect(&m_writer, &QFutureWatcher<Written>::finished, this, &MusicImport::writeDone);
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        cmdStop_Click();
        emit closed();
    });
    connect(&m_watcher, &QFutureWatcher<MusicScan>::progressRangeChanged, prgScan, &QProgressBar::setRange);
    connect(&m_watcher, &QFutureWatcher<MusicScan>::progressValueChanged, prgScan, &QProgressBar::setValue);
    connect(&m_watcher, &QFutureWatcher<MusicScan>::progressTextChanged, lblScan, &QLabel::setText);
    connect(&m_watcher, &QFutureWatcher<MusicScan>::finished, this, &MusicImport::scanDone);
    reset();
}

MusicImport::~MusicImport()
{
    // Never waited on: the worker holds nothing of the panel and stops on its own.
    m_watcher.cancel();
    // A write is never cut: it ends by itself.
    if (isWriting())
        m_writer.waitForFinished();
}

void MusicImport::reset()
{
    if (isScanning() || isWriting())
        return;
    m_planned.clear();
    m_scan = {};
    m_made.clear();
    cmdReadings->hide();
    tblAlbums->setRowCount(0);
    // The folder is shown with its albums or not at all.
    lblFolder->setText(u"フォルダを選んでください。"_s);
    tblAlbums->horizontalHeader()->setSortIndicatorShown(false);
    lblScan->clear();
    showUnreadable();
    prgScan->setRange(0, 1);
    prgScan->setValue(0);
    setScanning(false);
}

void MusicImport::setScanning(bool on)
{
    prgScan->setVisible(on);
    cmdStop->setVisible(on);
    cmdStop->setEnabled(on);
    const bool idle = !on && !isWriting();
    cmdFolder->setEnabled(idle);
    cmdClose->setEnabled(idle);
    tblAlbums->setEnabled(idle);
    for (QPushButton* b : {cmdImport, cmdSelectAll, cmdSelectNone})
        b->setEnabled(idle && !m_planned.empty());
}

void MusicImport::cmdFolder_Click()
{
    const QString folder = m_dialogs.chooseFolder(u"取り込むフォルダ"_s, m_folder.isEmpty() ? QDir::homePath() : m_folder);
    if (!folder.isEmpty())
        scan(folder);
}

void MusicImport::scan(const QString& folder)
{
    if (isScanning())
        return;
    reset();
    m_folder = folder;
    lblFolder->setText(QDir::toNativeSeparators(folder));
    setScanning(true);
    m_watcher.setFuture(QtConcurrent::run(&scanThreads(), scanFolder, folder));
}

void MusicImport::cmdStop_Click()
{
    if (!isScanning())
        return;
    // The worker is told and left behind; the panel is free at once, whatever file the
    // worker is in. A finished future put in its place reports the stop.
    m_watcher.cancel();
    m_watcher.setFuture(QFuture<MusicScan>());
}

void MusicImport::scanDone()
{
    const QFuture<MusicScan> future = m_watcher.future();
    if (future.isCanceled() || future.resultCount() == 0) {
        m_planned.clear();
        setScanning(false);
        lblScan->setText(u"読み込みを中止しました。"_s);
        emit scanFinished();
        return;
    }
    m_scan = future.result();
    QSet<QString> covered;
    for (auto it = m_scan.covers.cbegin(); it != m_scan.covers.cend(); ++it)
        covered.insert(it.key());
    m_planned = albumrules::planTitles(m_scan.files, covered, m_state.titles, QDate::currentDate());
    for (albumrules::PlannedTitle& t : m_planned) {
        if (m_scan.brokenCovers.contains(t.key))
            t.notes.append(u"画像が壊れているため取り込まない"_s);
    }
    // The tags are no longer needed; the covers are, until the titles are made.
    m_scan.files.clear();
    setScanning(false);
    lblScan->setText(u"%1 個のアルバムが見つかりました。取り込まないものはチェックを外してください。"_s.arg(m_planned.size()));
    showUnreadable();
    showPlanned();
    emit scanFinished();
}

void MusicImport::showUnreadable()
{
    lstUnreadable->clear();
    for (const Unreadable& u : m_scan.unreadable)
        lstUnreadable->addItem(u"%1：%2"_s.arg(QDir::toNativeSeparators(u.path), u.reason));
    const bool any = !m_scan.unreadable.empty();
    lblUnreadable->setText(
        any ? u"読めないファイルが %1 個あります（取り込みません）："_s.arg(m_scan.unreadable.size()) : QString());
    lblUnreadable->setVisible(any);
    lstUnreadable->setVisible(any);
}

void MusicImport::showPlanned()
{
    tblAlbums->setRowCount(static_cast<int>(m_planned.size()));
    const auto mark = [](bool on) { return on ? u"○"_s : QString(); };
    for (int row = 0; row < static_cast<int>(m_planned.size()); ++row) {
        const albumrules::PlannedTitle& t = m_planned[static_cast<size_t>(row)];
        QStringList notes = t.problems + t.notes;
        if (t.problems.isEmpty() && !t.standIns.isEmpty())
            notes.prepend(standInNote(t));
        const QStringList texts{QString(), t.record.name, t.record.artist, t.record.genre, t.record.date,
                                QString::number(t.tracks.size()), mark(t.hasCover), mark(t.lyricsCount > 0),
                                notes.join(u"、"_s)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column == Tick) {
                // An album that cannot be made cannot be ticked either; its row can still
                // be reached. One with characters to stand in waits for the user's tick.
                const bool can = t.problems.isEmpty();
                item->setFlags(can ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable
                                   : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setCheckState(can && t.standIns.isEmpty() ? Qt::Checked : Qt::Unchecked);
                item->setData(Qt::AccessibleTextRole, t.record.name);
                item->setData(Qt::UserRole, row);
            }
            if (column == Tracks)
                item->setData(Qt::DisplayRole, static_cast<int>(t.tracks.size()));
            if (column == Tracks || column == Cover || column == Lyrics)
                item->setTextAlignment(Qt::AlignCenter);
            tblAlbums->setItem(row, column, item);
        }
    }
}

size_t MusicImport::plannedOfRow(int row) const
{
    return static_cast<size_t>(tblAlbums->item(row, Tick)->data(Qt::UserRole).toInt());
}

int MusicImport::rowOfPlanned(size_t planned) const
{
    for (int row = 0; row < tblAlbums->rowCount(); ++row) {
        if (plannedOfRow(row) == planned)
            return row;
    }
    return -1;
}

void MusicImport::tickAll(bool on)
{
    for (int row = 0; row < tblAlbums->rowCount(); ++row) {
        QTableWidgetItem* tick = tblAlbums->item(row, Tick);
        if (tick->flags() & Qt::ItemIsUserCheckable)
            tick->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void MusicImport::leaveOut(size_t planned, const QString& reason)
{
    const int row = rowOfPlanned(planned);
    QTableWidgetItem* tick = tblAlbums->item(row, Tick);
    tick->setCheckState(Qt::Unchecked);
    tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    tblAlbums->item(row, Problem)->setText(reason);
}

bool MusicImport::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != tblAlbums || tblAlbums->rowCount() == 0)
        return QFrame::eventFilter(watched, event);
    // A row is current as soon as the table has the keyboard.
    if (event->type() == QEvent::FocusIn && !tblAlbums->currentIndex().isValid())
        tblAlbums->setCurrentCell(0, Name);
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const int column = std::max(tblAlbums->currentColumn(), 0);
    switch (key->key()) {
    case Qt::Key_Space:
        // Ticks the current row, whichever of its cells is current.
        if (const int row = tblAlbums->currentRow(); row >= 0) {
            QTableWidgetItem* tick = tblAlbums->item(row, Tick);
            if (tick->flags() & Qt::ItemIsUserCheckable)
                tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
        return true;
    case Qt::Key_Home:
        tblAlbums->setCurrentCell(0, column);
        return true;
    case Qt::Key_End:
        tblAlbums->setCurrentCell(tblAlbums->rowCount() - 1, column);
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}

void MusicImport::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    cmdFolder->setFocus(Qt::OtherFocusReason);
}

void MusicImport::cmdImport_Click()
{
    if (isScanning() || isWriting() || m_planned.empty())
        return;
    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(files::kTitles));
        return;
    }
    std::vector<size_t> ticked;
    for (int row = 0; row < tblAlbums->rowCount(); ++row) {
        if (tblAlbums->item(row, Tick)->checkState() == Qt::Checked)
            ticked.push_back(plannedOfRow(row));
    }
    std::sort(ticked.begin(), ticked.end());
    if (ticked.empty()) {
        m_dialogs.message(u"取り込むアルバムにチェックが付いていません。\r\n\r\n取り込むアルバムの「取込」にチェックを付けてください。"_s,
                          u"アルバム未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // Checked first against the folder and the collection as they are now, so that the
    // user is asked about each file in the way before anything is written.
    std::vector<const albumrules::PlannedTitle*> titles;
    std::vector<QByteArray> covers;
    for (const size_t i : ticked) {
        titles.push_back(&m_planned[i]);
        covers.push_back(m_scan.covers.value(m_planned[i].key));
    }
    const std::vector<albumrules::TitleCheck> checks =
        albumrules::checkTitles(m_state.folder, m_state.titles, m_state.tracks, titles, covers);
    std::vector<albumrules::PlannedTitle> toWrite;
    std::vector<QByteArray> writingCovers;
    std::vector<QStringList> agreed;
    m_writing.clear();
    m_failed.clear();
    for (size_t n = 0; n < ticked.size(); ++n) {
        const albumrules::PlannedTitle& t = *titles[n];
        const albumrules::TitleCheck& check = checks[n];
        if (!check.ok()) {
            m_failed.append(u"%1：%2"_s.arg(t.record.name, check.refusal));
            leaveOut(ticked[n], u"取り込めませんでした：%1"_s.arg(check.refusal));
            continue;
        }
        if (!check.replaced.isEmpty()
            && m_dialogs.message(u"「%1」の次のファイルが既にあります。\r\n\r\n%2\r\n\r\n取り込む内容で上書きしますか？\r\n"
                                 "（「いいえ」を選ぶと、このアルバムは取り込まず、ファイルはそのまま残します）"_s
                                     .arg(t.record.name, check.replaced.join(u"\r\n"_s)),
                                 u"上書き確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
                != Dialogs::Answer::Yes) {
            const QString reason = u"既にある「%1」を残すため取り込まない"_s.arg(check.replaced.join(u"」「"_s));
            m_failed.append(u"%1：%2"_s.arg(t.record.name, reason));
            leaveOut(ticked[n], reason);
            continue;
        }
        m_writing.push_back(ticked[n]);
        toWrite.push_back(t);
        writingCovers.push_back(covers[n]);
        agreed.push_back(check.replaced);
    }
    if (m_writing.empty()) {
        tellImported({});
        return;
    }
    // Written on a worker; no other screen writes until it is done.
    emit writing(true);
    m_writer.setFuture(QtConcurrent::run(writeOnWorker, m_state.folder.path(), std::move(toWrite),
                                         std::move(writingCovers), std::move(agreed)));
    setScanning(false);
    prgScan->setVisible(true);
}

void MusicImport::writeDone()
{
    Written out = m_writer.future().takeResult();
    if (out.reloaded) {
        m_state.titles = std::move(out.titles);
        m_state.tracks = std::move(out.tracks);
    }
    QStringList made;
    const bool wholeFailed = !out.result.ok() && std::find(out.made.begin(), out.made.end(), 1) == out.made.end();
    for (size_t n = 0; n < m_writing.size(); ++n) {
        const albumrules::PlannedTitle& t = m_planned[m_writing[n]];
        if (out.made[n]) {
            made.append(t.record.name);
            leaveOut(m_writing[n], u"取り込みました"_s);
            continue;
        }
        QString reason = out.checks[n].refusal;
        if (reason.isEmpty())
            reason = u"取り込めませんでした：%1"_s.arg(reasonOf(out.result));
        m_failed.append(u"%1：%2"_s.arg(t.record.name, reason));
        leaveOut(m_writing[n], reason);
    }
    m_writing.clear();
    setScanning(false);
    lblScan->clear();
    emit writing(false);
    if (!made.isEmpty()) {
        emit imported();
        // The collection as read again: the names of the new titles still waiting for a
        // reading (none came from their files' sort tags) are offered for checking.
        m_made = made;
        const QSet<QString> only(made.cbegin(), made.cend());
        const size_t waiting = readingrules::namesWithoutReading(m_state.titles, m_state.readings, only).size();
        cmdReadings->setText(u"読みの確認（%1 件）"_s.arg(waiting));
        cmdReadings->setVisible(waiting > 0);
    }
    // A failure of the whole write (a full disk) is told as the store tells it; the
    // albums left out for their own reasons keep them in their notes.
    if (wholeFailed) {
        m_failed.clear();
        tellWriteFailure(m_dialogs, out.result);
        return;
    }
    tellImported(made);
}

void MusicImport::tellImported(const QStringList& made)
{
    QString text = u"%1 件のタイトルを取り込みました。"_s.arg(made.size());
    if (!m_failed.isEmpty())
        text += u"\r\n\r\n次のタイトルは取り込めませんでした（何も書き込んでいません）。\r\n"_s + m_failed.join(u"\r\n"_s);
    if (m_failed.join(QString()).contains(u"上限"_s)) {
        const auto room = [](int count) { return QLocale(QLocale::Japanese).toString(std::max(albumrules::kMostRecords - count, 0)); };
        text += u"\r\n\r\nコレクションに入れられるのは、あと %1 件のタイトルと %2 曲です。"_s.arg(room(m_state.titles.count()),
                                                                                     room(m_state.tracks.count()));
    }
    m_failed.clear();
    m_dialogs.message(text, u"取り込み"_s, made.isEmpty() || text.contains(u"取り込めませんでした"_s)
                                              ? Dialogs::Icon::Exclamation : Dialogs::Icon::Information);
}
