#include "mainwindow.h"

#include "app/tell.h"
#include "exchange/musicimport.h"
#include "lists/listgrids.h"
#include "lists/songlist.h"
#include "lists/titlelist.h"
#include "lyrics/lyricspanel.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/heap.h"
#include "platform/helpviewer.h"
#include "platform/repaint.h"
#include "platform/switchbutton.h"
#include "store/collectionfiles.h"
#include "store/filelisting.h"
#include "store/interruptedwork.h"
#include "store/masterlist.h"
#include "store/settings.h"
#include "store/titletable.h"
#include "store/tracktable.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"
#include "upkeep/readingcheck.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const QString MainWindow::HelpFileName = u"UtabakoHelp.html"_s;


void MainWindow::readAhead(DataFolder& folder)
{
    folder.listing().listAhead();
    ReadTitleFileAhead(folder);
    ReadTrackTableAhead(folder);
    ReadReadingFileAhead(folder);
}

MainWindow::MainWindow(DataFolder& folder, Dialogs& dialogs, HelpViewer& help, Printer& printer,
                       ReadingGuesser& guesser, QWidget* parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_help(help)
    , m_printer(printer)
    , m_state(folder, dialogs)
{
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"ウタバコ"_s);
    setWindowIcon(QIcon(u":/icons/songlist.png"_s));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setSpacing(2);
    layout->addLayout(m_buttonRow);

    cmdNew = addButton(u"cmdNew"_s, u"新規"_s, u"タイトルを新規に追加します"_s, u"new"_s);
    cmdDel = addButton(u"cmdDel"_s, u"削除"_s, u"表示中のタイトルを削除します"_s, u"delete"_s);
    cmdMain = addButton(u"cmdMain"_s, u"メイン"_s, u"メイン画面を表示します"_s, u"main"_s);
    cmdPic = addButton(u"cmdPic"_s, u"画像"_s, u"タイトルの画像を一覧表示します"_s, u"pictures"_s);
    cmdIchiran = addButton(u"cmdIchiran"_s, u"題一覧"_s, u"各種タイトルデータを並び替え表示します"_s, u"titlelist"_s);
    cmdKensaku = addButton(u"cmdKensaku"_s, u"題検索"_s, u"タイトルの検索をすることができます"_s, u"titlesearch"_s);
    cmdIchiran2 = addButton(u"cmdIchiran2"_s, u"曲一覧"_s, u"各種曲目データを並び替え表示します"_s, u"songlist"_s);
    cmdList = addButton(u"cmdList"_s, u"曲検索"_s, u"曲目の検索をすることができます"_s, u"songsearch"_s);
    cmdRank = addButton(u"cmdRank"_s, u"ランク"_s, u"人気アーティストのランキングを表示します"_s, u"rank"_s);
    cmdMaster = addButton(u"cmdMaster"_s, u"編集"_s, u"マスタを編集します"_s, u"master"_s);
    cmdHelp = addButton(u"cmdHelp"_s, u"ヘルプ"_s, u"ヘルプファイルを開きます"_s, u"help"_s);
    cmdEnd = addButton(u"cmdEnd"_s, u"終了"_s, u"プログラムを終了します"_s, u"end"_s);
    m_buttonRow->addStretch(1);
    // Shown by its picture alone; the caption is what a screen reader says.
    auto* tourSwitch = new SwitchButton;
    chkHelp = addButton(u"chkHelp"_s, u"ヘルプツアー"_s, u"ヘルプツアーのＯｎ／Ｏｆｆです"_s, u"tour"_s, tourSwitch);
    // Off at a glance: the bulb goes out.
    tourSwitch->setPictures(u":/icons/tour.png"_s, u":/icons/tour_off.png"_s);
    chkHelp->setToolButtonStyle(Qt::ToolButtonIconOnly);
    chkHelp->setIconSize(QSize(40, 40));

    m_panelArea = new QGridLayout;
    m_panelArea->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_panelArea, 1);
    fraMain = new MainScreen(m_state, dialogs, printer);
    m_panelArea->addWidget(fraMain, 0, 0);
    m_panels.push_back(fraMain);
    fraList = new SongSearch(m_state, dialogs, printer, *fraMain->filKashi1, *this);
    addPanel(fraList);
    // The song search's result grid; its screen fills it, the track grid's layout resets it.
    msgKyokumoku2 = fraList->msgKyokumoku2;
    fraMain->Frame1->setSongSearchGrid(msgKyokumoku2);
    fraIchiran = new TitleList(m_state, dialogs, *this);
    addPanel(fraIchiran);
    fraIchiran2 = new SongList(m_state, dialogs, *fraMain->filKashi1, *this);
    addPanel(fraIchiran2);
    fraKensaku = new TitleSearch(m_state, *this);
    addPanel(fraKensaku);
    fraMaster = new MasterScreen(m_state, dialogs, *fraMain->filKashi1, *this);
    addPanel(fraMaster);
    fraMusicImport = new MusicImport(m_state, dialogs);
    addPanel(fraMusicImport);
    fraReadingCheck = new ReadingCheck(m_state, dialogs, guesser, *this);
    addPanel(fraReadingCheck);
    fraPic = new Catalogue(m_state, *this);
    addPanel(fraPic);
    fraRank = new Ranking(m_state, dialogs, *this);
    addPanel(fraRank);
    // Every list of the window is framed while it has the keyboard, as the grids are, and
    // a row of a list is as high as any other, whatever characters its entry holds.
    for (QListView* list : findChildren<QListView*>()) {
        list->setUniformItemSizes(true);
        if (list->window() == this)
            FocusFrame::install(*list);
    }

    connect(cmdNew, &QToolButton::clicked, this, &MainWindow::cmdNew_Click);
    connect(cmdDel, &QToolButton::clicked, fraMain, &MainScreen::DeleteTitle);
    connect(cmdMain, &QToolButton::clicked, this, &MainWindow::cmdMain_Click);
    connect(cmdPic, &QToolButton::clicked, fraPic, &Catalogue::cmdPic_Click);
    connect(cmdIchiran, &QToolButton::clicked, this, &MainWindow::cmdIchiran_Click);
    connect(cmdKensaku, &QToolButton::clicked, this, &MainWindow::cmdKensaku_Click);
    connect(cmdIchiran2, &QToolButton::clicked, this, &MainWindow::cmdIchiran2_Click);
    connect(cmdList, &QToolButton::clicked, this, &MainWindow::cmdList_Click);
    connect(cmdRank, &QToolButton::clicked, fraRank, &Ranking::cmdRank_Click);
    // The master screen is filled anew every time its button is pressed.
    connect(cmdMaster, &QToolButton::clicked, fraMaster, &MasterScreen::cmdMaster_Click);
    connect(fraMaster->cmdImportMusic, &QPushButton::clicked, this, [this] {
        HideAllPanels();
        fraMusicImport->reset();
        fraMusicImport->show();
    });
    connect(fraMusicImport, &MusicImport::closed, fraMaster, &MasterScreen::cmdMaster_Click);
    connect(fraMaster->cmdReadingCheck, &QPushButton::clicked, this, [this] { fraReadingCheck->ShowReadingCheck(); });
    // After an import, the names of the titles it made that wait for a reading.
    connect(fraMusicImport, &MusicImport::readingsWanted, fraReadingCheck, &ReadingCheck::ShowReadingCheck);
    connect(fraReadingCheck, &ReadingCheck::closed, fraMaster, &MasterScreen::cmdMaster_Click);
    // While the import writes on its worker no other screen is opened, so that nothing
    // else writes to the folder meanwhile.
    connect(fraMusicImport, &MusicImport::writing, this, [this](bool on) {
        const char* held = "heldWhileImporting";
        for (int i = 0; i < m_buttonRow->count(); ++i) {
            QWidget* button = m_buttonRow->itemAt(i)->widget();
            if (!button)
                continue;
            if (on && button->isEnabled()) {
                button->setEnabled(false);
                button->setProperty(held, true);
            } else if (!on && button->property(held).toBool()) {
                button->setEnabled(true);
                button->setProperty(held, QVariant());
            }
        }
    });
    // Titles made from music files are read in as titles added on the main screen are;
    // the import has read the tables again already.
    connect(fraMusicImport, &MusicImport::imported, this, [this] {
        fraMain->LoadTitleFile();
        fraMain->filKashi1->refresh();
        m_state.CatalogueReady = false;
        fraMain->showTitle(std::max(fraMain->currentTitle(), 1));
    });
    // The button of the screen on view stands pressed (told to a screen reader as
    // checked); a click on it, which changes nothing, leaves it so.
    m_screenButtons = {{fraMain, cmdMain},      {fraPic, cmdPic},         {fraIchiran, cmdIchiran},
                       {fraKensaku, cmdKensaku}, {fraIchiran2, cmdIchiran2}, {fraList, cmdList},
                       {fraRank, cmdRank},      {fraMaster, cmdMaster},   {fraMusicImport, cmdMaster}};
    for (const auto& [panel, button] : m_screenButtons) {
        button->setCheckable(true);
        panel->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, &MainWindow::markScreenOnView);
    }
    connect(cmdHelp, &QToolButton::clicked, this, [this] { m_help.open(); });
    connect(cmdEnd, &QToolButton::clicked, this, &QWidget::close);
    // Toggled by a click, a key or an accessibility client alike; the program's own
    // settings of the switch are not a toggle by the user.
    connect(chkHelp, &QToolButton::toggled, this, [this] {
        if (!m_settingHelpSwitch)
            chkHelp_Click();
    });

    // As large as suits the screens the program is made for, never larger than the
    // desktop leaves room for (a 1280 x 800 screen with a task bar).
    QSize size(1260, 760);
    if (const QScreen* desktop = screen())
        size = size.boundedTo(desktop->availableGeometry().size() - QSize(16, 40));
    resize(size);
}

MainWindow::~MainWindow()
{
    m_state.folder.setProblemListener({});
    // The screens go first, while the state they point into is still there.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QToolButton* MainWindow::addButton(const QString& name, const QString& caption, const QString& tip, const QString& icon,
                                   QToolButton* button)
{
    if (!button)
        button = new QToolButton;
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setIcon(QIcon(u":/icons/%1.png"_s.arg(icon)));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setMinimumWidth(68);
    button->setAutoRaise(false);
    m_buttonRow->addWidget(button);
    return button;
}

QFrame* MainWindow::addPanel(const QString& name)
{
    auto* panel = new QFrame;
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    addPanel(panel);
    return panel;
}

void MainWindow::addPanel(QFrame* panel)
{
    panel->hide();
    m_panelArea->addWidget(panel, 0, 0);
    m_panels.push_back(panel);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        markScreenOnView();
    return QWidget::eventFilter(watched, event);
}

void MainWindow::markScreenOnView()
{
    QToolButton* onView = nullptr;
    for (const auto& [panel, button] : m_screenButtons) {
        if (panel->isVisibleTo(this))
            onView = button;
    }
    for (const auto& [panel, button] : m_screenButtons)
        button->setChecked(button == onView);
}

void MainWindow::HideAllPanels()
{
    for (QFrame* panel : std::initializer_list<QFrame*>{fraMain, fraList, fraIchiran, fraIchiran2, fraKensaku, fraMaster, fraMusicImport, fraReadingCheck, fraPic, fraRank})
        panel->hide();
    cmdDel->setEnabled(false);
    // What the screen left behind and the next one does not keep (its rows, a file read
    // whole) goes back to the system once that one is shown; at start-up nothing is left
    // behind yet.
    if (!m_state.StartingUp)
        QTimer::singleShot(0, this, &returnFreedMemory);
}

void MainWindow::openScreen(QFrame* panel)
{
    if (panel->isVisible())
        return;
    HideAllPanels();
    panel->show();
}

void MainWindow::cmdMain_Click()
{
    if (fraMain->isVisible())
        return;
    if (const int k = rememberedTitle(); k > 0)
        fraMain->setCurrentTitle(k);
    showMainScreen();
    repaintNow();
}

void MainWindow::cmdIchiran_Click()
{
    if (fraIchiran->isVisible())
        return;
    SetUpListGrids();
    HideAllPanels();
    fraIchiran->ShowTitleList();
}

void MainWindow::cmdIchiran2_Click()
{
    if (fraIchiran2->isVisible())
        return;
    SetUpListGrids();
    HideAllPanels();
    fraIchiran2->ShowSongList();
}

void MainWindow::cmdKensaku_Click()
{
    if (fraKensaku->isVisible())
        return;
    HideAllPanels();
    fraKensaku->ShowTitleSearch();
}

void MainWindow::cmdList_Click()
{
    if (fraList->isVisible())
        return;
    HideAllPanels();
    fraList->ShowSongSearch();
}

void MainWindow::SetUpListGrids()
{
    ::SetUpListGrids(*fraIchiran->msgIchiran, m_state.titles.count(), *fraIchiran2->msgIchiran2, m_state.tracks.count());
}

int MainWindow::rememberedTitle() const
{
    const int count = m_state.titles.count();
    if (m_state.ListJumpIndex <= 0 || count == 0)
        return 0;
    if (const int k = m_state.titles.find(m_state.ListJumpName); k > 0)
        return k;
    // Deleted since: the title now at its place, or the last one.
    return std::min(m_state.ListJumpIndex, count);
}

void MainWindow::ShowTitleByName(const QString& name)
{
    if (const int k = m_state.titles.find(name); k > 0) {
        m_state.ListJumpIndex = k;
        m_state.ListJumpName = name;
    }
    // Before any title was opened this way an unknown name leaves the main screen on
    // the title it shows.
    const int k = rememberedTitle();
    fraMain->showTitle(k > 0 ? k : fraMain->currentTitle());
    showMainScreen();
    repaintNow();
}

void MainWindow::showTitle(int k)
{
    fraMain->showTitle(k);
    showMainScreen();
}

void MainWindow::reloadTitles(int k)
{
    fraMain->LoadTitleFile();
    fraMain->showTitle(k > 0 ? k : fraMain->currentTitle());
}

void MainWindow::reloadMaster(Master master)
{
    if (master == Master::Artist)
        fraMain->fillArtistCombo(ReadMaster(m_state.folder, Master::Artist));
    else if (master == Master::TitleGenre)
        fraMain->fillGenreCombo(ReadMaster(m_state.folder, Master::TitleGenre));
}

QStringList MainWindow::artistEntries() const
{
    QStringList entries;
    entries.reserve(fraMain->cboSakusya->count());
    for (int i = 0; i < fraMain->cboSakusya->count(); ++i)
        entries.append(fraMain->cboSakusya->itemText(i));
    return entries;
}

void MainWindow::closeWindow()
{
    close();
}

void MainWindow::showMainScreen()
{
    // Opened from the keyboard on another screen, the keyboard goes with the title
    // instead of falling to the first button.
    QWidget* const focus = focusWidget();
    const bool focusOnScreen = focus && std::any_of(m_panels.begin(), m_panels.end(), [focus](QFrame* panel) {
        return panel->isAncestorOf(focus);
    });
    HideAllPanels();
    // Lyrics saved on another screen meanwhile show in a box the user has not typed into.
    fraMain->fraKashi1->reloadUnchanged();
    fraMain->show();
    cmdDel->setEnabled(true);
    if (focusOnScreen)
        fraMain->cboName->setFocus(Qt::OtherFocusReason);
}

void MainWindow::cmdNew_Click()
{
    if (!fraMain->isVisible()) {
        showMainScreen();
        repaintNow();
    }
    fraMain->NewTitle();
}

void MainWindow::startUp()
{
    repaintNow();
    m_state.StartingUp = true;

    // A save, a deletion or a reset cut short by a crash or a power cut is finished or
    // undone before the collection is read, and what it left behind goes.
    const InterruptedWork interrupted = finishInterruptedWork(m_state.folder);
    fraMain->LoadTitleFile();
    LoadTrackTable(m_state.folder, &m_state.tracks);
    m_state.tour.setHelpTourOn(LoadSettings(m_state.folder).value_or(0));

    setHelpSwitch(m_state.tour.HelpTourOn() != 0);
    fraMain->LayoutTrackGrid();

    showMainScreen();

    fraMain->showTitle(1);
    fraMain->fillRatingCombo();
    fraMain->fillArtistCombo(ReadMaster(m_state.folder, Master::Artist));
    fraMain->fillGenreCombo(ReadMaster(m_state.folder, Master::TitleGenre));

    m_state.StartingUp = false;
    show();
    repaintNow();

    if (const QString told = interrupted.message(); !told.isEmpty())
        m_dialogs.message(told, InterruptedWork::title(), Dialogs::Icon::Information);
    reportLoadProblems();
    m_state.tour.show(tour::kStartUp1);
    m_state.tour.show(tour::kStartUp2);
    fraPic->makeThumbnailsWhenIdle();
}

void MainWindow::reportLoadProblems()
{
    tellLoadProblems(m_state.folder.takeProblems());
    // Files read later (track lists, lyrics) are told of as they are met.
    m_state.folder.setProblemListener([this](const LoadProblem& p) { tellLoadProblems({p}); });
}

void MainWindow::tellLoadProblems(const QList<LoadProblem>& problems)
{
    if (problems.isEmpty())
        return;
    QString text;
    bool damaged = false;
    bool twins = false;
    for (const LoadProblem& p : problems) {
        text += p.message() + u"\r\n"_s;
        if (p.kind == LoadProblem::Kind::CaseTwins)
            twins = true;
        else if (p.kind != LoadProblem::Kind::Unreadable)
            damaged = true;
    }
    if (damaged)
        text += u"\r\n読めたところまでを表示しています。\r\n"
                "そのファイルを最初に書き換える前に、元の内容を「ファイル名.日付_時刻.bak」として同じフォルダに残します。"_s;
    if (twins)
        text += u"\r\n大文字・小文字だけが違うタイトルは、どちらかの曲目や画像を変えるともう一方も変わります。\r\n"
                "新しいタイトルには、既にある名前と大文字・小文字だけが違う名前は付けられません。"_s;
    m_dialogs.message(text, u"データファイルの確認"_s, Dialogs::Icon::Exclamation);
}

void MainWindow::setHelpSwitch(bool on)
{
    const QScopedValueRollback<bool> quiet(m_settingHelpSwitch, true);
    chkHelp->setChecked(on);
}

void MainWindow::chkHelp_Click()
{
    if (m_state.StartingUp)
        return;
    // The change is made first and told only once it is made.
    const int on = chkHelp->isChecked() ? 1 : 0;
    const WriteResult written = SaveSettings(m_state.folder, on);
    if (!written.ok()) {
        // The switch stays as the settings file has it.
        tellWriteFailure(m_dialogs, written);
        setHelpSwitch(m_state.tour.HelpTourOn() != 0);
        return;
    }
    m_state.tour.setHelpTourOn(on);
    if (on == 1)
        m_dialogs.message(u"ヘルプツアー機能をオンにします。"_s, u"ヘルプツアーＯＮ"_s, Dialogs::Icon::Information);
    else
        m_dialogs.message(u"ヘルプツアー機能をオフにします。"_s, u"ヘルプツアーＯＦＦ"_s, Dialogs::Icon::Information);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Every change has been written when it was made; only the help window is left.
    m_help.closeAll();
    event->accept();
}
