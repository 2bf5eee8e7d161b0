#pragma once

#include <QFrame>

class AppState;
class Dialogs;
class FileListing;
class PictureBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

// The cover import panel (fraPicget) of the main screen: a drive list, a folder list and
// a list of the JPEG and bitmap files of the folder. A file clicked is previewed in the
// cover box; cmdFileCopy copies it into the data folder as the cover of the title the
// name box names, whole or not at all.
class CoverImport : public QFrame {
    Q_OBJECT
public:
    // cover is the main screen's cover box, which previews; nameBox names the title;
    // lyrics is the listing of lyrics files, read again after a copy.
    CoverImport(AppState& state, Dialogs& dialogs, PictureBox& cover, QComboBox& nameBox, FileListing& lyrics,
                QWidget* parent = nullptr);

    // imgGazou Click: the file list read again, and the panel shown.
    void open();
    // dirZukei_Moto Change: the folder list and the file list show folder.
    void ShowFolder(const QString& folder);
    const QString& folder() const { return m_folder; }

    QLabel* Label1_2;
    QComboBox* drvZukei_Moto;
    QTreeWidget* dirZukei_Moto;
    QListWidget* filZukei_Moto;
    QPushButton* cmdFileCopy;
    QPushButton* cmdYame;

private:
    // The drives as they are now, the one holding the folder shown selected.
    void fillDrives();
    void drvZukei_Moto_Change(int index);
    // The folder shown and its way down from the drive's root, with the folders in it.
    void showFolders();
    void ShowFiles();
    void filZukei_Moto_Click(int row);
    void cmdFileCopy_Click();

    AppState& m_state;
    Dialogs& m_dialogs;
    PictureBox& m_cover;
    QComboBox& m_nameBox;
    FileListing& m_lyrics;
    QString m_folder;
    bool m_foldersShown = false;
};
