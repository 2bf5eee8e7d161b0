#pragma once

#include "app/shownfile.h"
#include "tracks/trackrules.h"

#include <QGroupBox>

class AppState;
class Dialogs;
class FileListing;
class Grid;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

// The track area of the main screen (Frame1): the track grid of the title on screen
// with its lyrics marks, and the entry panel (fraHensyu) where a pasted track list is
// cut into songs, written as the title's track list and added to the track data.
class TrackEntry : public QGroupBox {
    Q_OBJECT
public:
    // The title is read from the screen's name box at the moment of each operation, its
    // artist from the title file at position; lyrics is the listing of lyrics files the
    // marks come from.
    TrackEntry(AppState& state, Dialogs& dialogs, FileListing& lyrics, QComboBox& nameBox, QScrollBar& position,
               QWidget* parent = nullptr);

    void ShowTrackList();
    void LayoutTrackGrid();
    void LayoutCompilationTrackGrid();
    void setSongSearchGrid(Grid* grid) { m_songSearchGrid = grid; }
    bool isCompilation() const;
    // The title's artist as the artist box holds it, in its stored form: the box may
    // have been typed into.
    QString titleArtist() const;
    // The artist of a track row: its own for a compilation, else the title's.
    QString artistOfRow(int row);

    Grid* msgKyokumoku;
    QPushButton* cmdHensyu;
    QWidget* fraHensyu;
    QPlainTextEdit* txtKyokuHen;
    QComboBox* cboTrim;
    QLabel* Label4;
    QPushButton* cmdKakutei;
    QPushButton* cmdCansel;
    QPushButton* cmdKasyu;
    QPlainTextEdit* txtKasyu;

private:
    void cmdHensyu_Click();
    void cmdKakutei_Click();
    void cmdCansel_Click();
    void cmdKasyu_Click();
    void setEditing(bool editing);
    void markLyrics();

    AppState& m_state;
    Dialogs& m_dialogs;
    FileListing& m_lyrics;
    // The lines the memo was filled with when it was opened: already cut once.
    QStringList m_filledLines;
    // The track list file as the grid shows it; and as the memo was filled from it, with
    // the title the memo was opened on. A list goes to another title, or over a file
    // changed since, only when the user agrees.
    ShownFile m_gridList;
    ShownFile m_memoList;
    QString m_memoTitle;
    QComboBox& m_nameBox;
    QScrollBar& m_position;
    Grid* m_songSearchGrid = nullptr;
    QWidget* m_entryColumn;
};
