#pragma once

#include "store/masterlist.h"

#include <QFrame>

#include <array>

class AppState;
class Dialogs;
class FileListing;
class Grid;
class Navigator;
class SortButtons;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The song list (fraIchiran2): every song of the track data in one grid with its lyrics
// mark, sortable by any column; a double-click opens a title holding the song. Its edit
// panel (fraTuika2) sets the genre, lyricist, composer and arranger of the song clicked.
class SongList : public QFrame {
    Q_OBJECT
public:
    // lyrics is the main screen's listing of lyrics files, which the marks come from.
    SongList(AppState& state, Dialogs& dialogs, FileListing& lyrics, Navigator& navigator, QWidget* parent = nullptr);

    // cmdIchiran2, once the grids are laid out and the other screens hidden: fills the
    // grid in track data order and shows the screen.
    void ShowSongList();
    // Enter in the four combos, and a save: the name joins its master when it is new.
    void AddSongGenreName(const QString& typed);
    void AddLyricistName(const QString& typed);
    void AddComposerName(const QString& typed);
    void AddArrangerName(const QString& typed);

    // Ascending or descending for the next sort button; kept for the whole run.
    bool SongSortToggle = false;

    SortButtons* sortBar2;
    std::array<QPushButton*, 7> cmdSort2;
    Grid* msgIchiran2;
    QPushButton* cmdTuika2;
    // 並び順: 読み（五十音） or 文字コード, for the name columns.
    QComboBox* cboNarabi2;
    QGroupBox* fraTuika2;
    QLabel* lblTitle2;
    QLabel* lblArt2;
    QComboBox* cboJanru2;
    QComboBox* cboSakushi2;
    QComboBox* cboSakkyoku2;
    QComboBox* cboHenkyoku2;
    QPushButton* cmdThozon2;
    QPushButton* cmdSortM;

private:
    void msgIchiran2_Click(int row);
    void msgIchiran2_DblClick(int row);
    void cmdTuika2_Click();
    void cmdThozon2_Click();
    void emptyPanel();
    // The grid row of the song the panel shows, wherever a sort has moved it; 0 if none.
    int editedRow() const;
    void addName(QComboBox* combo, Master master, const QString& typed);

    AppState& m_state;
    Dialogs& m_dialogs;
    FileListing& m_lyrics;
    Navigator& m_navigator;
    // The key of the song the panel shows; empty when none.
    QString m_editKey;
};
