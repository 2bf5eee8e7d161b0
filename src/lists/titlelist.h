#pragma once

#include "store/readings.h"

#include <QFrame>

#include <array>
#include <optional>

class AppState;
class Dialogs;
class Grid;
class Navigator;
class SortButtons;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The title list (fraIchiran): every title in one grid, sortable by any column, whose
// order on view can become the main order; a double-click opens a title on the main
// screen. Its info panel (fraTuika) edits the media, date and memo of the title clicked.
class TitleList : public QFrame {
    Q_OBJECT
public:
    TitleList(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent = nullptr);

    // cmdIchiran, once the grids are laid out and the other screens hidden: fills the
    // grid in main order and shows the screen.
    void ShowTitleList();
    // Enter in cboMedia, and a save: the media name joins its master when it is new.
    void AddMediaName(const QString& typed);

    // Ascending or descending for the next sort button; kept for the whole run.
    bool TitleSortToggle = false;

    SortButtons* sortBar;
    std::array<QPushButton*, 7> cmdSort1;
    Grid* msgIchiran;
    QPushButton* cmdTuika;
    QPushButton* cmdSortCng1;
    // 並び順: 読み（五十音） or 文字コード, for the name columns.
    QComboBox* cboNarabi1;
    QGroupBox* fraTuika;
    QLabel* lblTitle;
    QLabel* lblArt;
    QComboBox* cboMedia;
    QLineEdit* txtHizuke;
    QLineEdit* txtMemo;
    // The readings (読み) of the title's name and of its artist, kept with 保存; the
    // artist's serves all its titles.
    QLineEdit* txtReading;
    QLineEdit* txtArtistReading;
    QPushButton* cmdThozon;
    QPushButton* cmdSort;

private:
    // The readings typed in the panel, as the readings table would keep them; nothing
    // (after telling why) when one cannot be kept.
    std::optional<ReadingTable> typedReadings(const QString& title, const QString& artist);
    void msgIchiran_Click(int row);
    void msgIchiran_DblClick(int row);
    void cmdTuika_Click();
    void cmdThozon_Click();
    void cmdSortCng1_Click();
    void emptyPanel();
    // The grid row of the title the panel shows, wherever a sort has moved it; 0 if none.
    int editedRow() const;
    // The keys become the rows' positions from the top, the grid's order being the main
    // order now; the panel keeps its title.
    void renumber();
    // The title file was rewritten: the main screen reads it again and takes title k
    // (0: the title it shows).
    void titlesRewritten(int k);

    AppState& m_state;
    Dialogs& m_dialogs;
    Navigator& m_navigator;
    // The key of the title the panel shows; empty when none.
    QString m_editKey;
};
