#pragma once

#include "store/keptdeletions.h"

#include <QDialog>

struct AppState;
class Dialogs;
class Navigator;
class QLabel;
class QPushButton;
class QTableWidget;

// 削除したタイトル: the titles kept by deletions, each in its 削除済み folder, with the way
// back (元に戻す puts one back at the end of the main order, under a new name when its
// own is taken meanwhile) and the way out for good (完全に削除).
class DeletedTitlesPanel : public QDialog {
    Q_OBJECT
public:
    DeletedTitlesPanel(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent = nullptr);

    // Lists the kept titles again and shows the panel.
    void showKept();
    // Lists the kept titles again, keeping the current row where it can.
    void refill();

    const QList<kept::KeptTitle>& titles() const { return m_titles; }

    QLabel* lblDeletedTitles;
    QTableWidget* grdDeletedTitles;
    QPushButton* cmdRestore;
    QPushButton* cmdPurge;
    QPushButton* cmdClose;

protected:
    // Coming back to the panel lists the kept titles again: a title may have been
    // deleted on the main screen meanwhile.
    bool event(QEvent* event) override;

private:
    // The kept title on the current row, or nothing after telling the user to choose one.
    const kept::KeptTitle* chosen();
    void cmdRestore_Click();
    void cmdPurge_Click();
    // The name to put title back under: its own when free, else one the user gives;
    // empty when the user cancels.
    QString restoredName(const kept::KeptTitle& title);
    // Why name cannot be taken by a title put back with the files of title, or nothing.
    bool nameIsTaken(const kept::KeptTitle& title, const QString& name) const;

    AppState& m_state;
    Dialogs& m_dialogs;
    Navigator& m_navigator;
    QList<kept::KeptTitle> m_titles;
};
