#pragma once

#include <QFrame>
#include <QSet>

#include <memory>
#include <vector>

class AppState;
class ChoiceList;
class Dialogs;
class FileListing;
class Grid;
class LyricsSearch;
class Navigator;
class Printer;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

// The song search (fraList): songs found by one attribute at a time, by a word of the
// song name or of the lyrics, or by whether they have lyrics, each marked when its
// lyrics are stored. A click on a found song shows its lyrics (Frame7) and the titles
// that hold it (lstTitle); a double-click on a title opens it on the main screen.
class SongSearch : public QFrame {
    Q_OBJECT
public:
    // lyrics is the main screen's listing of lyrics files, which the marks come from and
    // the lyrics search reads.
    SongSearch(AppState& state, Dialogs& dialogs, Printer& printer, FileListing& lyrics, Navigator& navigator,
               QWidget* parent = nullptr);
    ~SongSearch() override;

    // cmdList, once the other screens are hidden: fills the choices, lists every song
    // and shows the screen.
    void ShowSongSearch();

    QGroupBox* Frame8;
    QLineEdit* txtKyokukey;
    // あいまい検索: the song-name key folds kana, width and case and finds by readings.
    QCheckBox* chkFuzzy2;
    ChoiceList* lstSakusya3;
    ChoiceList* lstKeisai3;
    QComboBox* cboSakushi;
    QComboBox* cboSakkyoku;
    QComboBox* cboHenkyoku;
    ChoiceList* lstKashi;
    QLineEdit* txtKashiKey;
    QGroupBox* fraKensu2;
    Grid* msgKyokumoku2;
    QGroupBox* Frame9;
    QListWidget* lstTitle;
    LyricsSearch* Frame7;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFound(std::vector<QStringList> rows);
    void lstKashi_Click(const QString& item);
    void searchLyrics(const QString& key);
    void listTitlesHoldingSong(int row);

    AppState& m_state;
    Dialogs& m_dialogs;
    FileListing& m_lyrics;
    Navigator& m_navigator;
    // The names lstSakusya3 holds: it only ever grows.
    QSet<QString> m_artistsListed;
};
