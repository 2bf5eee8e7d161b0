#include "masterscreen.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "exchange/exportpanel.h"
#include "upkeep/deletedtitles.h"
#include "platform/dialogs.h"
#include "platform/linebreaks.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/collectionfiles.h"
#include "upkeep/historypanel.h"
#include "upkeep/tourtexts.h"
#include "upkeep/upkeeprules.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

struct MasterView {
    Master master;
    const char16_t* label;
    const char16_t* list;
    const char16_t* button;
    const char16_t* question;
    const char16_t* title;
};

const std::array<MasterView, MasterScreen::kMasters> kViews{{
    {Master::Artist, u"アーティスト", u"lstSakusya2", u"cmdSakuDel",
     u"現在登録されているアーティストデータを全てクリアしますか？", u"アーティスト全データ削除確認"},
    {Master::TitleGenre, u"ジャンル", u"lstKeisai2", u"cmdKeisaiDel",
     u"現在登録されているタイトルのジャンルデータを全てクリアしますか？", u"ジャンル全データ削除確認"},
    {Master::Media, u"メディア", u"lstMedia2", u"cmdMediaDel",
     u"現在登録されているメディアデータを全てクリアしますか？", u"メディア全データ削除確認"},
    {Master::SongGenre, u"ジャンル", u"lstJanru2", u"cmdJanru2Del",
     u"現在登録されている曲目のジャンルデータを全てクリアしますか？", u"ジャンル全データ削除確認"},
    {Master::Lyricist, u"作詞", u"lstSakushi2", u"cmdSakushi2Del",
     u"現在登録されている作詞者データを全てクリアしますか？", u"作詞者全データ削除確認"},
    {Master::Composer, u"作曲", u"lstSakkyoku2", u"cmdSakkyoku2Del",
     u"現在登録されている作曲者データを全てクリアしますか？", u"作曲者全データ削除確認"},
    {Master::Arranger, u"編曲", u"lstHenkyoku2", u"cmdHenkyoku2Del",
     u"現在登録されている編曲者データを全てクリアしますか？", u"編曲者全データ削除確認"},
}};

QString text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

} // namespace

MasterScreen::MasterScreen(AppState& state, Dialogs& dialogs, FileListing& lyrics, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_navigator(navigator)
{
    setObjectName(u"fraMaster"_s);
    setFrameShape(QFrame::StyledPanel);

    Frame5 = new QGroupBox(u"タイトル用マスタ"_s);
    Frame5->setObjectName(u"Frame5"_s);
    Frame4 = new QGroupBox(u"曲目用マスタ"_s);
    Frame4->setObjectName(u"Frame4"_s);
    auto* row5 = new QHBoxLayout(Frame5);
    auto* row4 = new QHBoxLayout(Frame4);

    for (int i = 0; i < kMasters; ++i) {
        const MasterView& view = kViews[static_cast<size_t>(i)];
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(text(view.label)));
        const QString group = i < 3 ? u"タイトル用マスタ"_s : u"曲目用マスタ"_s;
        auto* list = named(new QListWidget, text(view.list), group + u" "_s + text(view.label));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        column->addWidget(list, 1);
        auto* button = named(new QPushButton(u"全部消す"_s), text(view.button),
                             group + u" "_s + text(view.label) + u" 全部消す"_s);
        column->addWidget(button);
        (i < 3 ? row5 : row4)->addLayout(column);
        lists[static_cast<size_t>(i)] = list;
        eraseButtons[static_cast<size_t>(i)] = button;
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, i, list](QListWidgetItem* item) { deleteEntry(i, list->row(item)); });
        // From the keyboard, Delete or Enter asks about the entry the cursor is on.
        for (const int key : {Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter}) {
            auto* shortcut = new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, i, list] {
                if (list->currentRow() >= 0)
                    deleteEntry(i, list->currentRow());
            });
        }
        connect(button, &QPushButton::clicked, this, [this, i] { eraseMaster(i); });
    }
    lstSakusya2 = lists[0];
    lstKeisai2 = lists[1];
    lstMedia2 = lists[2];
    lstJanru2 = lists[3];
    lstSakushi2 = lists[4];
    lstSakkyoku2 = lists[5];
    lstHenkyoku2 = lists[6];
    cmdSakuDel = eraseButtons[0];
    cmdKeisaiDel = eraseButtons[1];
    cmdMediaDel = eraseButtons[2];
    cmdJanru2Del = eraseButtons[3];
    cmdSakushi2Del = eraseButtons[4];
    cmdSakkyoku2Del = eraseButtons[5];
    cmdHenkyoku2Del = eraseButtons[6];

    // The label's text is spaced for a narrow column: it is shown broken at its own
    // spaces, as narrow as its longest phrase, so that the arrow ends it over the button.
    const QString resetText = u"現在のデータを削除して　最初から　　スタートするとき　　　　　　　　　↓"_s;
    Label7 = new QLabel;
    Label7->setObjectName(u"Label7"_s);
    Label7->setAccessibleName(resetText);
    const QFontMetrics metrics = Label7->fontMetrics();
    const QStringList lines = brokenLines(resetText, metrics.horizontalAdvance(u"現在のデータを削除して"_s), metrics);
    Label7->setText(lines.join(u'\n'));
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    cmdAllDel = new QPushButton(u"初期化"_s);
    cmdAllDel->setObjectName(u"cmdAllDel"_s);
    connect(cmdAllDel, &QPushButton::clicked, this, &MasterScreen::cmdAllDel_Click);

    prgAllDel = named(new QProgressBar, u"prgAllDel"_s, u"初期化の進み具合"_s);
    prgAllDel->hide();

    fraExchange = named(new QGroupBox(u"取り込み・書き出し"_s), u"fraExchange"_s, u"取り込み・書き出し"_s);
    auto* exchange = new QVBoxLayout(fraExchange);
    cmdImportMusic = named(new QPushButton(u"音楽ファイルから取り込み"_s), u"cmdImportMusic"_s);
    exchange->addWidget(cmdImportMusic);
    cmdExport = named(new QPushButton(u"書き出し"_s), u"cmdExport"_s);
    cmdExport->setToolTip(u"タイトル一覧・曲一覧を CSV に、コレクションを HTML カタログに書き出します"_s);
    exchange->addWidget(cmdExport);
    cmdReadingCheck = named(new QPushButton(u"読みの確認"_s), u"cmdReadingCheck"_s);
    cmdReadingCheck->setToolTip(u"読み（並び替えと検索に使うカタカナ）の登録されていない歌手名・タイトル名を確認します"_s);
    exchange->addWidget(cmdReadingCheck);
    // A caption keeps a margin of its own height's worth from the button's edges.
    for (QPushButton* button : {cmdImportMusic, cmdExport, cmdReadingCheck}) {
        const QFontMetrics captions = button->fontMetrics();
        button->setMinimumWidth(captions.horizontalAdvance(button->text()) + 2 * captions.height());
    }
    // The column of the exchange and the reset is one width, its parts flush with each other.
    const int width = std::max(widestLine(lines, metrics) + 4, fraExchange->sizeHint().width());
    for (QWidget* part : std::initializer_list<QWidget*>{fraExchange, Label7, cmdAllDel, prgAllDel})
        part->setFixedWidth(width);
    frmExport = new ExportPanel(state, dialogs, lyrics, this);
    connect(cmdExport, &QPushButton::clicked, frmExport, [this] {
        frmExport->show();
        frmExport->raise();
    });

    cmdDeletedTitles = named(new QPushButton(u"削除したタイトル"_s), u"cmdDeletedTitles"_s);
    fraDeletedTitles = new DeletedTitlesPanel(state, dialogs, navigator, this);
    connect(cmdDeletedTitles, &QPushButton::clicked, fraDeletedTitles, &DeletedTitlesPanel::showKept);
    cmdHistory = named(new QPushButton(u"履歴・初期化前に戻す"_s), u"cmdHistory"_s);
    cmdHistory->setToolTip(u"日ごとの履歴や初期化前のデータに、今のデータを残したまま戻します"_s);
    frmHistory = new HistoryPanel(state, dialogs, navigator, this);
    connect(cmdHistory, &QPushButton::clicked, frmHistory, &HistoryPanel::open);
    for (QWidget* part : std::initializer_list<QWidget*>{cmdDeletedTitles, cmdHistory})
        part->setFixedWidth(width);

    auto* reset = new QVBoxLayout;
    reset->addWidget(fraExchange);
    reset->addWidget(cmdDeletedTitles);
    reset->addStretch(1);
    reset->addWidget(cmdHistory);
    reset->addWidget(Label7);
    reset->addWidget(cmdAllDel);
    reset->addWidget(prgAllDel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame5, 0, 0);
    grid->addLayout(reset, 0, 1);
    grid->addWidget(Frame4, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
}

void MasterScreen::fill(int master)
{
    QListWidget* list = lists[static_cast<size_t>(master)];
    list->clear();
    // A missing file is an empty list; the first write creates it.
    list->addItems(ReadMaster(m_state.folder, kViews[static_cast<size_t>(master)].master));
}

void MasterScreen::cmdMaster_Click()
{
    for (int i = 0; i < kMasters; ++i)
        fill(i);
    m_navigator.HideAllPanels();
    show();
    m_state.tour.show(tour::kMaster);
}

void MasterScreen::deleteEntry(int master, int row)
{
    QListWidget* list = lists[static_cast<size_t>(master)];
    if (row < 0 || row >= list->count())
        return;
    const QString entry = list->item(row)->text();
    if (m_dialogs.message(entry + u" を削除しますか？"_s, u"削除確認"_s, Dialogs::Icon::Question,
                          Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    QStringList names;
    for (int r = 0; r < list->count(); ++r) {
        if (r != row)
            names.append(list->item(r)->text());
    }
    const WriteResult written = WriteMaster(m_state.folder, kViews[static_cast<size_t>(master)].master, names);
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        fill(master);
        return;
    }
    delete list->takeItem(row);
    refillMainBoxes(kViews[static_cast<size_t>(master)].master);
}

void MasterScreen::refillMainBoxes(Master master)
{
    // The main screen's boxes list what the master holds now, so that a name taken out
    // goes back into the master when it is typed there again.
    m_navigator.reloadMaster(master);
}

void MasterScreen::eraseMaster(int master)
{
    const MasterView& view = kViews[static_cast<size_t>(master)];
    if (m_dialogs.message(text(view.question), text(view.title), Dialogs::Icon::Question,
                          Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    const WriteResult written = WriteMaster(m_state.folder, view.master, {});
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        fill(master);
        return;
    }
    lists[static_cast<size_t>(master)]->clear();
    refillMainBoxes(view.master);
}

void MasterScreen::cmdAllDel_Click()
{
    if (m_dialogs.message(u"現在登録されているデータを全てクリアしますか？"_s, u"タイトル全データ削除確認"_s,
                          Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    // Nothing, not even the copy of the old data, is written into a read-only folder.
    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(files::kTitles));
        return;
    }

    QString kept;
    WriteResult failure;
    {
        const BusyPointer busy(m_dialogs);
        QStringList titleNames;
        for (int i = 1; i <= m_state.titles.count(); ++i)
            titleNames.append(m_state.titles.at(i).name);
        // The window repaints a few times a second while the files are moved; clicks
        // and keys wait until the reset is done.
        prgAllDel->setValue(0);
        prgAllDel->show();
        QElapsedTimer sincePaint;
        sincePaint.start();
        failure = upkeeprules::resetCollection(
            m_state.folder, titleNames, QDateTime::currentDateTime(), &kept, [&](qsizetype done, qsizetype total) {
                if (sincePaint.elapsed() < 100 && done < total)
                    return;
                prgAllDel->setMaximum(static_cast<int>(total));
                prgAllDel->setValue(static_cast<int>(done));
                repaintNow();
                sincePaint.restart();
            });
        prgAllDel->hide();
    }
    if (!failure.ok()) {
        m_dialogs.message(failure.message() + u"\r\n\r\n"_s
                              + u"元のデータを残せないため、初期化を取りやめました。データは何も消していません。"_s
                              + kept,
                          u"初期化の中止"_s, Dialogs::Icon::Exclamation);
        return;
    }
    m_dialogs.message(u"一旦プログラムを終了しますので再起動してください。"_s + u"\r\n\r\n"_s
                          + u"元のデータは %1 に残してあります。"_s.arg(QDir::toNativeSeparators(
                              QDir(m_state.folder.path()).filePath(kept))),
                      u"データ削除"_s, Dialogs::Icon::Information);
    // The normal way out, so that the data folder is let go on the way.
    m_navigator.closeWindow();
}
