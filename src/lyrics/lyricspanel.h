#pragma once

#include "app/shownfile.h"

#include <QFrame>

class AppState;
class DataFolder;
class Dialogs;
class FileListing;
class Printer;
class QPlainTextEdit;
class QLabel;
class QPushButton;
class TrackEntry;

// The lyrics of song by artist as a lyrics box shows them, read through shown, which
// then remembers the file: empty when there is none (or the names cannot make one).
QString ReadLyrics(DataFolder& folder, ShownFile& shown, const QString& song, const QString& artist);

// Writes text as the lyrics of song by artist, for both lyrics boxes. A song or artist
// that cannot be part of a file name, text the file cannot hold and a failed write are
// told to the user; a file changed since shown is replaced only when the user agrees.
// Otherwise false, with the file as it was.
bool SaveLyrics(DataFolder& folder, Dialogs& dialogs, ShownFile& shown, const QString& song, const QString& artist,
                const QString& text);

// A box that still shows the lyrics it loaded shows them as the file now holds them
// (saved on the other screen, or by another program); typed text stays.
void ReloadUnchangedLyrics(QPlainTextEdit& box, DataFolder& folder, ShownFile& shown);

// The lyrics panel of the main screen (fraKashi1), laid over the cover: the lyrics of
// the track clicked in the track grid, to read, paste into, save and print.
class LyricsPanel : public QFrame {
    Q_OBJECT
public:
    LyricsPanel(AppState& state, Dialogs& dialogs, Printer& printer, FileListing& lyrics, TrackEntry& tracks,
                QWidget* parent = nullptr);

    // Loads the lyrics of the track grid's current row and shows the panel.
    void ShowTrackLyrics();
    // The main screen shown again: lyrics the user did not change are read again.
    void reloadUnchanged();

    // Whose lyrics the box holds: song and artist.
    QLabel* lblKashiTitle;
    QPlainTextEdit* txtKashi1;
    QPushButton* cmdKashiToroku;
    QPushButton* cmdKashiPri;
    QPushButton* cmdGazo;

    // The song whose lyrics were loaded last, and the grid row it was loaded from.
    struct Loaded {
        QString song;
        QString artist;
        int row = 0;
    };
    const Loaded& LoadedLyricsFile() const { return m_loaded; }

private:
    void msgKyokumoku_Click();
    void cmdKashiToroku_Click();
    void cmdKashiPri_Click();

    AppState& m_state;
    Dialogs& m_dialogs;
    Printer& m_printer;
    FileListing& m_lyrics;
    TrackEntry& m_tracks;
    Loaded m_loaded;
    ShownFile m_shown;
};
