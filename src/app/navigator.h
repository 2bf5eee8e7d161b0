#pragma once

#include "store/masterlist.h"

#include <QString>
#include <QStringList>

// How a screen reaches the others without knowing the window that holds them: the window
// implements it and hands it to each screen, as it hands in the dialogs and the printer.
class Navigator {
public:
    virtual ~Navigator() = default;

    // Hides every screen; the screen that asks shows itself next.
    virtual void HideAllPanels() = 0;
    // Shows the main screen at title k (1..the number of titles).
    virtual void showTitle(int k) = 0;
    // Shows the main screen at the title of that name: the one way the list and search
    // screens open a title. A name no title has shows the title last opened this way,
    // or else the title on the main screen.
    virtual void ShowTitleByName(const QString& name) = 0;
    // The title file was rewritten by another screen: the main screen reads it again and
    // takes title k, or stays at its own when k is 0, without coming into view.
    virtual void reloadTitles(int k) = 0;
    // The artist or genre master was rewritten: the main screen's box lists it again.
    virtual void reloadMaster(Master master) = 0;
    // The entries of the main screen's artist box, in its order.
    virtual QStringList artistEntries() const = 0;
    // Closes the window, the normal way out of the program.
    virtual void closeWindow() = 0;
};
