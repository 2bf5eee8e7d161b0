#pragma once

#include "app/appstate.h"
#include "app/navigator.h"
#include "lists/songlist.h"
#include "lists/songsearch.h"
#include "lists/titlelist.h"
#include "lists/titlesearch.h"
#include "overviews/catalogue.h"
#include "overviews/ranking.h"
#include "upkeep/masterscreen.h"

#include <QFrame>
#include <QWidget>

#include <utility>
#include <vector>

class Dialogs;
class HelpViewer;
class MainScreen;
class MusicImport;
class Printer;
class ReadingCheck;
class ReadingGuesser;
class QToolButton;

// The program's one working window (frmMain): the button row along the top, and the
// screens as panels of which exactly one is shown. It runs start-up and owns the state
// the screens share.
class MainWindow : public QWidget, public Navigator {
    Q_OBJECT
public:
    MainWindow(DataFolder& folder, Dialogs& dialogs, HelpViewer& help, Printer& printer, ReadingGuesser& guesser,
               QWidget* parent = nullptr);
    // Begins reading the collection on workers, for the window's startUp() to come: the
    // folder's listing, and its title and song files made into tables. Called before the
    // mark of the folder's lock is made (see FolderNames::listAhead).
    static void readAhead(DataFolder& folder);
    ~MainWindow() override;

    // Form_Load: reads the collection, shows title 1 and the window, then the tour.
    void startUp();
    void HideAllPanels() override;
    // Shows the main screen in place of every other, with the delete button usable.
    void showMainScreen();
    void showTitle(int k) override;
    // Makes the title of that name the current title and shows the main screen.
    void ShowTitleByName(const QString& name) override;
    void reloadTitles(int k) override;
    void reloadMaster(Master master) override;
    QStringList artistEntries() const override;
    void closeWindow() override;
    // Lays out the title list's and the song list's grids for the collection as it is.
    void SetUpListGrids();

    AppState& state() { return m_state; }
    MainScreen* mainScreen() const { return fraMain; }

    QToolButton* cmdNew;
    QToolButton* cmdDel;
    QToolButton* cmdMain;
    QToolButton* cmdPic;
    QToolButton* cmdIchiran;
    QToolButton* cmdKensaku;
    QToolButton* cmdIchiran2;
    QToolButton* cmdList;
    QToolButton* cmdRank;
    QToolButton* cmdMaster;
    QToolButton* cmdHelp;
    QToolButton* cmdEnd;
    QToolButton* chkHelp;

    MainScreen* fraMain;
    TitleList* fraIchiran;
    SongList* fraIchiran2;
    TitleSearch* fraKensaku;
    SongSearch* fraList;
    Ranking* fraRank;
    Catalogue* fraPic;
    MasterScreen* fraMaster;
    MusicImport* fraMusicImport;
    ReadingCheck* fraReadingCheck;
    class Grid* msgKyokumoku2;

    static const QString HelpFileName;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A button of the row; button, when given, is a button of another kind to set up.
    QToolButton* addButton(const QString& name, const QString& caption, const QString& tip, const QString& icon,
                           QToolButton* button = nullptr);
    QFrame* addPanel(const QString& name);
    void addPanel(QFrame* panel);
    // A screen button: does nothing while its panel is on show.
    void openScreen(QFrame* panel);
    void cmdNew_Click();
    void cmdMain_Click();
    // The title last opened from a list, by its name, or 0 when none was.
    int rememberedTitle() const;
    void cmdIchiran_Click();
    void cmdIchiran2_Click();
    void cmdKensaku_Click();
    void cmdList_Click();
    void chkHelp_Click();
    void setHelpSwitch(bool on);
    // Checks the button of the screen on view and no other.
    void markScreenOnView();
    void reportLoadProblems();
    void tellLoadProblems(const QList<LoadProblem>& problems);

    bool m_settingHelpSwitch = false;
    Dialogs& m_dialogs;
    HelpViewer& m_help;
    Printer& m_printer;
    AppState m_state;
    class QHBoxLayout* m_buttonRow;
    class QGridLayout* m_panelArea;
    std::vector<QFrame*> m_panels;
    std::vector<std::pair<QFrame*, QToolButton*>> m_screenButtons;
};
