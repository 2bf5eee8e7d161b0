#pragma once

#include "exchange/albumrules.h"

#include <QFrame>
#include <QFutureWatcher>
#include <QHash>

#include "store/titletable.h"
#include "store/tracktable.h"

#include <vector>

struct AppState;
class Dialogs;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

// What a scan of a folder of music files found: the files' tags and, for each album,
// its cover as it will be written (kept only for albums that have a whole picture).
struct MusicScan {
    std::vector<MusicFile> files;
    QHash<QString, QByteArray> covers;
    QSet<QString> brokenCovers; // albums whose only picture is no whole picture
    std::vector<Unreadable> unreadable; // by path
};

// The panel that makes titles from the music files of a folder (fraMusicImport): the
// folder is scanned on a worker, the albums found are listed one per row with what
// they would make, and the ticked ones become titles, each whole or not at all.
class MusicImport : public QFrame {
    Q_OBJECT
public:
    MusicImport(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~MusicImport() override;

    // Shown empty, waiting for a folder.
    void reset();
    // cmdFolder: asks for a folder and scans it.
    void cmdFolder_Click();
    void scan(const QString& folder);
    bool isScanning() const { return m_watcher.isRunning(); }
    // cmdStop: the scan ends at once (the worker is left to stop on its own); nothing
    // is listed.
    void cmdStop_Click();
    // cmdImport: makes the ticked albums titles, checked against the folder as it is and
    // written on a worker in one write; the panel shows the progress meanwhile.
    void cmdImport_Click();
    bool isWriting() const { return m_writer.isRunning(); }
    // cmdSelectAll, cmdSelectNone: tick or untick every album that can be made.
    void tickAll(bool on);

    // The table's columns.
    enum Column { Tick, Name, Artist, Genre, Date, Tracks, Cover, Lyrics, Problem, ColumnCount };

    QLabel* lblFolder;
    QPushButton* cmdFolder;
    QProgressBar* prgScan;
    QLabel* lblScan;
    QPushButton* cmdStop;
    // What the scan could not read, each with its reason; hidden when it read all.
    QLabel* lblUnreadable;
    QListWidget* lstUnreadable;
    QTableWidget* tblAlbums;
    QPushButton* cmdSelectAll;
    QPushButton* cmdSelectNone;
    QPushButton* cmdImport;
    QPushButton* cmdClose;
    // Shown after an import made titles whose names, or their artists', wait for a
    // reading: opens 「読みの確認」 with those names.
    QPushButton* cmdReadings;

    // What the worker that writes gives back.
    struct Written {
        std::vector<albumrules::TitleCheck> checks; // of each title, as the folder stood when written
        WriteResult result;                         // of the one write
        std::vector<char> made;                     // each title
        bool reloaded = false;                      // the tables below were read after the write
        TitleTable titles;
        TrackTable tracks;
    };

signals:
    void scanFinished();
    // Titles were made: the collection's tables and listings are read again.
    void imported();
    void closed();
    // cmdReadings: the titles made by the last import, for their readings to be checked.
    void readingsWanted(const QStringList& titles);
    // The panel writes to the data folder on a worker while on is true: no other screen
    // may write meanwhile.
    void writing(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void scanDone();
    void showPlanned();
    void showUnreadable();
    void setScanning(bool on);
    void writeDone();
    // The planned title a row of the table shows (the rows can be sorted), and back.
    size_t plannedOfRow(int row) const;
    int rowOfPlanned(size_t planned) const;
    // Leaves a row's album out with the reason in its note.
    void leaveOut(size_t planned, const QString& reason);
    // Says how many titles were made and which were left out, and why.
    void tellImported(const QStringList& made);

    AppState& m_state;
    Dialogs& m_dialogs;
    QString m_folder;
    QFutureWatcher<MusicScan> m_watcher;
    MusicScan m_scan;
    std::vector<albumrules::PlannedTitle> m_planned;
    QFutureWatcher<Written> m_writer;
    std::vector<size_t> m_writing; // the planned titles the worker writes
    QStringList m_failed;          // "name：reason" of the titles left out so far
    QStringList m_made;            // the titles the last import made
};
