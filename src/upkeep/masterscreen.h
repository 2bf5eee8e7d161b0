#pragma once

#include "store/masterlist.h"

#include <QFrame>

#include <array>

struct AppState;
class Dialogs;
class FileListing;
class Navigator;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// The master screen (fraMaster): prunes the seven name lists that feed the choice boxes,
// entry by entry or whole, and holds the full reset that empties the collection, keeps
// a copy of what it removes and ends the program.
class MasterScreen : public QFrame {
    Q_OBJECT
public:
    MasterScreen(AppState& state, Dialogs& dialogs, FileListing& lyrics, Navigator& navigator, QWidget* parent = nullptr);

    // cmdMaster Click: fills the seven lists from their files and shows the screen.
    void cmdMaster_Click();

    // The seven lists and their "全部消す" buttons, in the order of Master.
    static constexpr int kMasters = 7;
    std::array<QListWidget*, kMasters> lists{};
    std::array<QPushButton*, kMasters> eraseButtons{};

    QGroupBox* Frame5;
    QGroupBox* Frame4;
    QListWidget* lstSakusya2;
    QListWidget* lstKeisai2;
    QListWidget* lstMedia2;
    QListWidget* lstJanru2;
    QListWidget* lstSakushi2;
    QListWidget* lstSakkyoku2;
    QListWidget* lstHenkyoku2;
    QPushButton* cmdSakuDel;
    QPushButton* cmdKeisaiDel;
    QPushButton* cmdMediaDel;
    QPushButton* cmdJanru2Del;
    QPushButton* cmdSakushi2Del;
    QPushButton* cmdSakkyoku2Del;
    QPushButton* cmdHenkyoku2Del;
    QLabel* Label7;
    QPushButton* cmdAllDel;
    // Shown under the reset button while the reset moves the collection aside.
    QProgressBar* prgAllDel;
    // Bringing titles in from elsewhere and taking the collection out; its buttons
    // stand one under another.
    QGroupBox* fraExchange;
    // Opens the panel that makes titles from music files.
    QPushButton* cmdImportMusic;
    QPushButton* cmdExport;
    // Opens 「読みの確認」, the names waiting for a reading.
    QPushButton* cmdReadingCheck;
    // Opened by cmdExport.
    class ExportPanel* frmExport;
    // Lists the titles deletions kept, to put one back or remove it for good.
    QPushButton* cmdDeletedTitles;
    class DeletedTitlesPanel* fraDeletedTitles;
    // Opens the way back: a reset undone, a day of the history put back.
    QPushButton* cmdHistory;
    class HistoryPanel* frmHistory;

private:
    void fill(int master);
    void deleteEntry(int master, int row);
    void eraseMaster(int master);
    void refillMainBoxes(Master master);
    void cmdAllDel_Click();

    AppState& m_state;
    Dialogs& m_dialogs;
    Navigator& m_navigator;
};
