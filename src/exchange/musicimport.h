#pragma once

#include "exchange/albumrules.h"

#include <QFrame>
#include <QFutureWatcher>
#include <QHash>

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
    // cmdImport: makes the ticked albums titles.
    void cmdImport_Click();

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
    QPushButton* cmdImport;
    QPushButton* cmdClose;

signals:
    void scanFinished();
    // Titles were made: the collection's tables and listings are read again.
    void imported();
    void closed();

private:
    void scanDone();
    void showPlanned();
    void showUnreadable();
    void setScanning(bool on);

    AppState& m_state;
    Dialogs& m_dialogs;
    QString m_folder;
    QFutureWatcher<MusicScan> m_watcher;
    MusicScan m_scan;
    std::vector<albumrules::PlannedTitle> m_planned;
};
