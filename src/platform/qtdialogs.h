#pragma once

#include "dialogs.h"

#include <QPointer>
#include <QWidget>

// Dialogs on the desktop: QMessageBox, QInputDialog, QFileDialog, the system beep and the wait cursor.
class QtDialogs : public Dialogs {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    // The width a window's title bar needs to show title whole in the bold face title
    // bars use, with the window's icon and buttons beside it.
    static int titleBarWidth(const QString& title, const QFont& font);

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons, Answer def) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText, int cursor) override;
    QString chooseFolder(const QString& title, const QString& start) override;
    QString chooseSaveFile(const QString& title, const QString& suggested, const QString& filter) override;
    void beep() override;
    void setBusy(bool busy) override;

private:
    QPointer<QWidget> m_parent;
    int m_busyDepth = 0;
};
