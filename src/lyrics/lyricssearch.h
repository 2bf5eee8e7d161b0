#pragma once

#include "app/shownfile.h"

#include <QGroupBox>

class AppState;
class Dialogs;
class FileListing;
class Grid;
class Printer;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The lyrics box of the song search (Frame7): the lyrics of the song clicked in the
// result grid, a word looked for in them one occurrence at a time with a running count,
// and saving and printing of what the box shows.
class LyricsSearch : public QGroupBox {
    Q_OBJECT
public:
    // results is the song search's result grid: song in column 0, artist in column 2;
    // lyrics is the listing of lyrics files the lyrics marks come from.
    LyricsSearch(AppState& state, Dialogs& dialogs, Printer& printer, Grid& results, FileListing& lyrics,
                 QWidget* parent = nullptr);

    QPlainTextEdit* txtKashi2;
    QLabel* Label1;
    QLineEdit* txtKashiKey2;
    QPushButton* cmdKashiKen;
    QLabel* lblKenken;
    QLabel* Label2;
    QPushButton* cmdKashiPrint;
    QPushButton* cmdKashiHozon;

    // The song whose lyrics were loaded last, and the result row it was loaded from.
    struct Loaded {
        QString song;
        QString artist;
        int row = 0;
    };
    const Loaded& LoadedLyricsFile() const { return m_loaded; }

    // Coming back to the screen: the lyrics loaded last are read again, as they may have
    // been changed on another screen meanwhile, unless the user has typed into the box.
    void reloadUnchanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void msgKyokumoku2_Click(int row);
    void ShowFoundSongLyrics();
    void CountLyricsHits();
    // fromKeyBox: the search was asked for with Enter in the key box, which keeps the
    // keyboard so that Enter steps on; the lyrics box shows the find either way.
    void searchNext(bool fromKeyBox);
    void cmdKashiHozon_Click();
    void cmdKashiPrint_Click();
    void select(int start, int length);

    AppState& m_state;
    Dialogs& m_dialogs;
    Printer& m_printer;
    Grid& m_results;
    FileListing& m_lyrics;
    Loaded m_loaded;
    ShownFile m_shown;
};
