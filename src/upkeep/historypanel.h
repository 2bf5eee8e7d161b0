#pragma once

#include "upkeep/historyrules.h"

#include <QDialog>

struct AppState;
class Dialogs;
class Navigator;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The way back (frmHistory): the collections a reset or a restore kept aside, and the
// days of the history, each put back with one button after a question; what is there now
// is first set aside, so that the step back can itself be taken back.
class HistoryPanel : public QDialog {
    Q_OBJECT
public:
    HistoryPanel(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent = nullptr);

    // Lists the kept folders and the days afresh, and shows the panel.
    void open() override;

    // The kept collections: when, whose, how many titles.
    QTreeWidget* lstKept;
    QPushButton* cmdKeptBack;
    // The days of the history, newest first, and how the chosen one differs from now.
    QListWidget* lstDays;
    QPlainTextEdit* txtDayDiff;
    QPushButton* cmdDayBack;
    QProgressBar* prgRestore;
    QPushButton* cmdClose;

private:
    void fill();
    void showDay();
    void cmdKeptBack_Click();
    void cmdDayBack_Click();
    // Puts pieces back after the question; ends the program once they are.
    void putBack(const QString& question, const QString& what, restore::Way way, const QList<restore::Piece>& pieces,
                 const QStringList& alsoAside = {});

    AppState& m_state;
    Dialogs& m_dialogs;
    Navigator& m_navigator;
    QList<historyrules::KeptFolder> m_kept;
    QList<QDate> m_days;
};
