#pragma once

#include "upkeep/readingrules.h"

#include <QAbstractTableModel>
#include <QFrame>
#include <QStringList>

#include <vector>

struct AppState;
class Dialogs;
class Navigator;
class ReadingGuesser;
class QLabel;
class QPushButton;
class QTableView;

// The rows of the reading check: each name waiting for a reading, the reading shown for
// it (the guesser's suggestion until one is typed) and whether it is ticked for keeping.
class ReadingRows : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Tick, Kind, Name, Reading, Note, ColumnCount };
    enum class Guess { Waiting, None, Sure, Unsure, Typed };
    struct Row {
        readingrules::PendingName pending;
        QString reading;
        Guess guess = Guess::Waiting;
        bool ticked = false;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<Row> rows);
    const std::vector<Row>& rows() const { return m_rows; }
    // The guess for row r has come: a sure one is ticked, a doubtful one waits for the user.
    void guessed(int r, Guess guess, const QString& reading);
    void tickAll(bool on);
    void removeRows(const std::vector<int>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Row> m_rows;
};

// 「読みの確認」 (fraReadingCheck): the artist and title names that need a reading and have
// none, each with the reading the guesser suggests, marked when it doubted, editable in
// place. The ticked rows are kept in one write of the readings file; nothing is kept
// that the user did not tick. Songs are left out: they are many, and their list screens
// carry their own names. An artist is one row whose reading serves all its titles.
class ReadingCheck : public QFrame {
    Q_OBJECT
public:
    ReadingCheck(AppState& state, Dialogs& dialogs, ReadingGuesser& guesser, Navigator& navigator,
                 QWidget* parent = nullptr);

    // Lists the names waiting for a reading (with titles given, just those titles' and
    // their artists') and shows the screen; the suggestions are made a slice at a time
    // while the screen stays usable.
    void ShowReadingCheck(const QStringList& titles = {});
    // Whether suggestions are still being made for the rows.
    bool isGuessing() const { return m_guessed < static_cast<int>(m_rows.rows().size()); }
    // cmdRegister: keeps the readings of the ticked rows, all of them or none.
    void cmdRegister_Click();

    ReadingRows& rows() { return m_rows; }

    QLabel* lblReadingCheck;
    QLabel* lblGuesser;
    QTableView* tblReadings;
    QPushButton* cmdSelectAll;
    QPushButton* cmdSelectNone;
    QPushButton* cmdRegister;
    QPushButton* cmdClose;

signals:
    void closed();

private:
    void guessSome();
    void showCount();
    // Puts the keyboard on the reading of row r for it to be typed again.
    void editReading(int r);

    AppState& m_state;
    Dialogs& m_dialogs;
    ReadingGuesser& m_guesser;
    Navigator& m_navigator;
    ReadingRows m_rows;
    int m_guessed = 0;
    // Counts the fillings, so that a slice of guessing left from an earlier one stops.
    int m_filling = 0;
};
