#pragma once

#include "platform/dialogs.h"

#include <QDialog>
#include <QFutureWatcher>

struct AppState;
class FileListing;
class QComboBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

// 書き出し: takes the collection out as the title list or the song list in CSV, with the
// columns those screens show, or as an HTML catalogue in a folder of the user's choice.
// The catalogue is written on a worker while a bar shows how far it has come.
class ExportPanel : public QDialog {
    Q_OBJECT
public:
    // lyrics is the listing of lyrics files, for the song list's lyrics mark.
    ExportPanel(AppState& state, Dialogs& dialogs, FileListing& lyrics, QWidget* parent = nullptr);

    // The caption and rows of a list screen's shown columns, taken from the grid as that
    // screen lays it out and from the rows it fills it with.
    QStringList titleHeader() const;
    std::vector<QStringList> titleRows() const;
    QStringList songHeader() const;
    std::vector<QStringList> songRows() const;

    bool isWriting() const { return m_writing.isRunning(); }

    QRadioButton* optTitleCsv;
    QRadioButton* optSongCsv;
    QRadioButton* optCatalogue;
    QComboBox* cboEncoding;
    QProgressBar* prgExport;
    QPushButton* cmdWrite;
    QPushButton* cmdClose;

signals:
    // A catalogue is written, or its writing failed and the user was told.
    void catalogueDone();

private:
    void cmdWrite_Click();
    void writeCsv(bool songs);
    void writeCatalogue();
    void catalogueFinished();
    Dialogs::Answer tell(const QString& text, const QString& title, Dialogs::Icon icon,
                         Dialogs::Buttons buttons = Dialogs::Buttons::Ok, Dialogs::Answer def = Dialogs::Answer::Ok);
    void comeBack();

    AppState& m_state;
    Dialogs& m_dialogs;
    FileListing& m_lyrics;
    QString m_lastFolder;
    QString m_catalogueTarget;
    QFutureWatcher<QString> m_writing;
};
