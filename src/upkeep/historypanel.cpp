#include "historypanel.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "platform/dialogs.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/collectionfiles.h"
#include "store/dailyhistory.h"
#include "upkeep/upkeeprules.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QString dayText(const QDate& day)
{
    return day.toString(u"yyyy年MM月dd日"_s);
}

QString whenText(const QDateTime& when)
{
    return when.toString(u"yyyy年MM月dd日 HH:mm:ss"_s);
}

} // namespace

HistoryPanel::HistoryPanel(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_navigator(navigator)
{
    setObjectName(u"frmHistory"_s);
    setWindowTitle(u"履歴・初期化前に戻す"_s);

    auto* keptBox = named(new QGroupBox(u"初期化前・戻す前のデータ"_s), u"fraKept"_s);
    lstKept = named(new QTreeWidget, u"lstKept"_s, u"初期化前・戻す前のデータ"_s);
    lstKept->setHeaderLabels({u"日時"_s, u"内容"_s, u"タイトル数"_s});
    lstKept->setRootIsDecorated(false);
    lstKept->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    cmdKeptBack = named(new QPushButton(u"この状態に戻す"_s), u"cmdKeptBack"_s);
    auto* kept = new QVBoxLayout(keptBox);
    kept->addWidget(lstKept, 1);
    kept->addWidget(cmdKeptBack, 0, Qt::AlignRight);

    auto* daysBox = named(new QGroupBox(u"履歴（変更のあった日の朝の状態）"_s), u"fraDays"_s);
    lstDays = named(new QListWidget, u"lstDays"_s, u"履歴の日"_s);
    txtDayDiff = named(new QPlainTextEdit, u"txtDayDiff"_s, u"今との違い"_s);
    txtDayDiff->setReadOnly(true);
    cmdDayBack = named(new QPushButton(u"この日の状態に戻す"_s), u"cmdDayBack"_s);
    auto* daysRow = new QHBoxLayout;
    daysRow->addWidget(lstDays, 1);
    daysRow->addWidget(txtDayDiff, 2);
    auto* days = new QVBoxLayout(daysBox);
    days->addLayout(daysRow, 1);
    days->addWidget(cmdDayBack, 0, Qt::AlignRight);

    prgRestore = named(new QProgressBar, u"prgRestore"_s, u"戻す作業の進み具合"_s);
    prgRestore->hide();
    cmdClose = named(new QPushButton(u"閉じる"_s), u"cmdClose"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keptBox, 1);
    layout->addWidget(daysBox, 2);
    layout->addWidget(prgRestore);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
    resize(720, 560);

    connect(lstDays, &QListWidget::currentRowChanged, this, &HistoryPanel::showDay);
    connect(cmdKeptBack, &QPushButton::clicked, this, &HistoryPanel::cmdKeptBack_Click);
    connect(cmdDayBack, &QPushButton::clicked, this, &HistoryPanel::cmdDayBack_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void HistoryPanel::open()
{
    fill();
    show();
    raise();
}

void HistoryPanel::fill()
{
    m_kept = historyrules::keptFolders(m_state.folder);
    lstKept->clear();
    for (const historyrules::KeptFolder& kept : std::as_const(m_kept)) {
        auto* item = new QTreeWidgetItem(lstKept, {whenText(kept.when), kept.reset ? u"初期化の前"_s : u"元に戻す前"_s,
                                                   QString::number(kept.titles)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, kept.folder);
    }
    m_days = DailyHistory::days(m_state.folder.path());
    lstDays->clear();
    for (const QDate& day : std::as_const(m_days))
        lstDays->addItem(dayText(day));
    txtDayDiff->clear();
}

void HistoryPanel::showDay()
{
    const int row = lstDays->currentRow();
    if (row < 0 || row >= m_days.size()) {
        txtDayDiff->clear();
        return;
    }
    const QList<restore::Piece> pieces = historyrules::dayPieces(m_state.folder, m_days[row]);
    const auto then = historyrules::keptTitles(m_state.folder, pieces);
    QString text = then ? historyrules::describe(historyrules::compare(*then, m_state.titles.records()))
                        : u"タイトルは今と同じです。"_s;
    QStringList others;
    for (const restore::Piece& piece : pieces)
        others.append(piece.name);
    text += u"\r\n\r\n戻すファイル: "_s + others.join(u"、"_s);
    txtDayDiff->setPlainText(text);
}

void HistoryPanel::cmdKeptBack_Click()
{
    const int row = lstKept->indexOfTopLevelItem(lstKept->currentItem());
    if (row < 0 || row >= m_kept.size()) {
        m_dialogs.message(u"先に戻したいデータをクリックしてください"_s, u"対象未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    const historyrules::KeptFolder& kept = m_kept[row];
    putBack(u"%1 の%2のデータ（タイトル %3 件）に戻しますか？"_s.arg(whenText(kept.when),
                                                                      kept.reset ? u"初期化"_s : u"元に戻す作業"_s)
                .arg(kept.titles),
            kept.reset ? u"初期化前のデータに戻す作業"_s : u"元に戻す前のデータに戻す作業"_s, restore::Way::Move,
            restore::piecesOf(m_state.folder, kept.folder),
            // What the reset made empty goes aside too, where it had no file before.
            kept.reset ? upkeeprules::resetEmptiedFiles() : QStringList());
}

void HistoryPanel::cmdDayBack_Click()
{
    const int row = lstDays->currentRow();
    if (row < 0 || row >= m_days.size()) {
        m_dialogs.message(u"先に戻したい日をクリックしてください"_s, u"対象未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    const QList<restore::Piece> pieces = historyrules::dayPieces(m_state.folder, m_days[row]);
    putBack(u"%1 の朝の状態に戻しますか？"_s.arg(dayText(m_days[row])), u"履歴から戻す作業"_s, restore::Way::Copy, pieces);
}

void HistoryPanel::putBack(const QString& question, const QString& what, restore::Way way, const QList<restore::Piece>& pieces,
                           const QStringList& alsoAside)
{
    if (pieces.isEmpty()) {
        m_dialogs.message(u"戻すファイルがありません"_s, u"元に戻す"_s, Dialogs::Icon::Exclamation);
        return;
    }
    if (m_dialogs.message(question + u"\r\n\r\n今のデータは「戻す前_日付_時刻」フォルダに移して残します。"_s, u"元に戻す確認"_s,
                          Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    QString aside;
    QString note;
    WriteResult result;
    {
        const BusyPointer busy(m_dialogs);
        // The window repaints a few times a second while the files move; clicks and keys
        // wait until the work is done.
        prgRestore->setValue(0);
        prgRestore->show();
        QElapsedTimer sincePaint;
        sincePaint.start();
        result = restore::putBack(m_state.folder, what, way, pieces, alsoAside, QDateTime::currentDateTime(), &aside, &note,
                                  [&](qsizetype done, qsizetype total) {
                                      if (sincePaint.elapsed() < 100 && done < total)
                                          return;
                                      prgRestore->setMaximum(static_cast<int>(total));
                                      prgRestore->setValue(static_cast<int>(done));
                                      repaintNow();
                                      sincePaint.restart();
                                  });
        prgRestore->hide();
    }
    if (!result.ok()) {
        m_dialogs.message(result.message() + u"\r\n\r\n元に戻せなかったため、取りやめました。データは何も変えていません。"_s + note,
                          u"元に戻す作業の中止"_s, Dialogs::Icon::Exclamation);
        fill();
        return;
    }
    QString told = u"元に戻しました。一旦プログラムを終了しますので再起動してください。"_s;
    if (!aside.isEmpty())
        told += u"\r\n\r\n戻す前のデータは %1 に残してあります。"_s.arg(
            QDir::toNativeSeparators(QDir(m_state.folder.path()).filePath(aside)));
    m_dialogs.message(told, u"元に戻す"_s, Dialogs::Icon::Information);
    hide();
    // The collection read at start-up is no longer the one on the disk.
    m_navigator.closeWindow();
}
