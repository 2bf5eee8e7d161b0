#include "musicimport.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "store/collectionfiles.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
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
    tblAlbums->verticalHeader()->hide();
    tblAlbums->horizontalHeader()->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair{Tick, 40}, {Name, 260}, {Artist, 180}, {Genre, 100}, {Date, 90},
                                        {Tracks, 44}, {Cover, 44}, {Lyrics, 44}})
        tblAlbums->setColumnWidth(column, width);
    cmdImport = button(u"cmdImport"_s, u"取り込む"_s);
    cmdClose = button(u"cmdClose"_s, u"閉じる"_s);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(cmdFolder);
    folderRow->addWidget(lblFolder, 1);
    auto* scanRow = new QHBoxLayout;
    scanRow->addWidget(prgScan, 1);
    scanRow->addWidget(cmdStop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
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
}

void MusicImport::reset()
{
    if (isScanning())
        return;
    m_planned.clear();
    m_scan = {};
    tblAlbums->setRowCount(0);
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
    cmdFolder->setEnabled(!on);
    cmdImport->setEnabled(!on && !m_planned.empty());
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
        const QStringList texts{QString(), t.record.name, t.record.artist, t.record.genre, t.record.date,
                                QString::number(t.tracks.size()), mark(t.hasCover), mark(t.lyricsCount > 0),
                                (t.problems + t.notes).join(u"、"_s)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column == Tick) {
                // An album that cannot be made cannot be ticked either.
                const bool can = t.problems.isEmpty();
                item->setFlags(can ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable : Qt::ItemIsSelectable);
                item->setCheckState(can ? Qt::Checked : Qt::Unchecked);
                item->setData(Qt::AccessibleTextRole, t.record.name);
            }
            if (column == Tracks || column == Cover || column == Lyrics)
                item->setTextAlignment(Qt::AlignCenter);
            tblAlbums->setItem(row, column, item);
        }
    }
}

void MusicImport::cmdImport_Click()
{
    if (isScanning() || m_planned.empty())
        return;
    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(files::kTitles));
        return;
    }
    const BusyPointer busy(m_dialogs);
    std::vector<int> rows;
    std::vector<const albumrules::PlannedTitle*> titles;
    std::vector<QByteArray> covers;
    for (int row = 0; row < static_cast<int>(m_planned.size()); ++row) {
        if (tblAlbums->item(row, Tick)->checkState() != Qt::Checked)
            continue;
        rows.push_back(row);
        titles.push_back(&m_planned[static_cast<size_t>(row)]);
        covers.push_back(m_scan.covers.value(titles.back()->key));
    }
    if (titles.empty()) {
        m_dialogs.message(u"取り込むアルバムにチェックが付いていません。\r\n\r\n取り込むアルバムの「取込」にチェックを付けてください。"_s,
                          u"アルバム未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // All in one write; when that fails, title by title, so that only the titles that
    // cannot be written are left out, each without a trace.
    QSet<std::pair<QString, QString>> added;
    std::vector<WriteResult> results;
    if (const WriteResult all = albumrules::writeTitles(m_state.folder, m_state.titles, m_state.tracks, &added, titles, covers);
        all.ok() || titles.size() == 1) {
        results.assign(titles.size(), all);
    } else {
        for (size_t i = 0; i < titles.size(); ++i)
            results.push_back(
                albumrules::writeTitles(m_state.folder, m_state.titles, m_state.tracks, &added, {titles[i]}, {covers[i]}));
    }
    QStringList made;
    QStringList failed;
    for (size_t i = 0; i < rows.size(); ++i) {
        QTableWidgetItem* tick = tblAlbums->item(rows[i], Tick);
        tick->setCheckState(Qt::Unchecked);
        tick->setFlags(Qt::ItemIsSelectable);
        QTableWidgetItem* problem = tblAlbums->item(rows[i], Problem);
        const QString& name = titles[i]->record.name;
        if (results[i].ok()) {
            made.append(name);
            problem->setText(u"取り込みました"_s);
        } else {
            failed.append(u"%1：%2"_s.arg(name, reasonOf(results[i])));
            problem->setText(u"取り込めませんでした：%1"_s.arg(reasonOf(results[i])));
        }
    }
    if (!made.isEmpty())
        emit imported();
    cmdImport->setEnabled(false);
    QString text = u"%1 件のタイトルを取り込みました。"_s.arg(made.size());
    if (!failed.isEmpty())
        text += u"\r\n\r\n次のタイトルは取り込めませんでした（何も書き込んでいません）。\r\n"_s + failed.join(u"\r\n"_s);
    m_dialogs.message(text, u"取り込み"_s, failed.isEmpty() ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
}
