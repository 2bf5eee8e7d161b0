#pragma once

#include <QFrame>

#include <array>

class AppState;
class Grid;
class PictureBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QStringListModel;

// The main screen (fraMain): one title at a time with its name, position, artist,
// genre, rating face, track list and cover. The current title is the position of the
// scroll bar hsbData; every change of position shows that title.
class MainScreen : public QFrame {
    Q_OBJECT
public:
    MainScreen(AppState& state, QWidget* parent = nullptr);

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
    QGroupBox* Frame1;
    Grid* msgKyokumoku;
    QPushButton* cmdHensyu;
    QLineEdit* txtKasyu;

private:
    void showCover(const QString& titleName);

    AppState& m_state;
    QStringListModel* m_names;
};
