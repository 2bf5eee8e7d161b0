#pragma once

#include "store/masterlist.h"
#include "store/titletable.h"

#include <QFrame>

#include <array>
#include <memory>

class AppState;
class CoverBox;
class CoverImport;
class Dialogs;
class FileListing;
class Grid;
class LyricsPanel;
class PictureBox;
class PictureCache;
class Printer;
class TrackEntry;
class QComboBox;
class QGroupBox;
class QLabel;
class QScrollBar;
class QStringListModel;

// The main screen (fraMain): one title at a time with its name, position, artist,
// genre, rating face, track list and cover. The current title is the position of the
// scroll bar hsbData; every change of position shows that title.
class MainScreen : public QFrame {
    Q_OBJECT
public:
    MainScreen(AppState& state, Dialogs& dialogs, Printer& printer, QWidget* parent = nullptr);
    ~MainScreen() override;

    // cmdNew: asks for a name and adds a title with the defaults at the end.
    void NewTitle();
    // cmdDel: deletes the title named in cboName after asking; its pictures and record
    // are put aside in a dated folder.
    void DeleteTitle();
    // Enter in cboSakusya / cboKeisai: the current title takes the typed name, which
    // joins the master when it is new.
    void AddTitleArtistName(const QString& typed);
    void AddTitleGenreName(const QString& typed);

    // Reads the title file into the title table, lists the names in cboName and sets
    // the scroll bar's range; the position is left to the caller.
    void LoadTitleFile();
    void ShowCurrentTitle();
    void LayoutTrackGrid();

    // The number of the title on screen (1..TitleCount; 1 when there are none).
    int currentTitle() const;
    // Moves the scroll bar; the title is shown when the position changes.
    void setCurrentTitle(int k);
    // Moves the scroll bar and shows the title even when the position stays.
    void showTitle(int k);

    // The covers shown and decoded ahead.
    PictureCache& coverCache();

    void fillRatingCombo();
    void fillArtistCombo(const QStringList& masterNames);
    void fillGenreCombo(const QStringList& masterNames);

    QComboBox* cboName;
    QScrollBar* hsbData;
    QLabel* lblKensu;
    QGroupBox* Frame2;
    QComboBox* cboSakusya;
    QComboBox* cboKeisai;
    QComboBox* cboHyouka;
    QGroupBox* Frame3;
    std::array<QLabel*, 3> imgFace1;
    PictureBox* imgGazou;
    TrackEntry* Frame1;
    LyricsPanel* fraKashi1;
    // Opened by a click on the cover box.
    CoverImport* fraPicget;
    // The lyrics files of the data folder, taken when the screen is made and after
    // each lyrics save from it.
    std::unique_ptr<FileListing> filKashi1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMetaObject::Connection m_focusReturn;
    // An entry chosen in cboSakusya, cboKeisai or cboHyouka goes into the current title
    // and the title file at once; a write that fails leaves the stored value on show.
    void attributeChosen(QComboBox* combo, int index, void (TitleTable::*set)(int, const QString&),
                         QString TitleRecord::*field);
    // A click on the face: the next rating, saved like a choice.
    void switchRating();
    // Stores value in the current title and rewrites the title file; false, told to the
    // user, when the file could not be written, and then the table is as it was.
    bool storeInCurrentTitle(void (TitleTable::*set)(int, const QString&), const QString& value);
    void showFace(const QString& rating);
    // False, told to the user, for a name a new title cannot take; cursor is where its
    // first refused character stands, or -1.
    bool acceptableNewName(const QString& name, int* cursor);
    void addTitleName(QComboBox* combo, const QString& name, Master master,
                      void (TitleTable::*set)(int, const QString&));

    AppState& m_state;
    Dialogs& m_dialogs;
    CoverBox* m_cover;
    QStringListModel* m_names;
};
