#pragma once

#include "lists/listrules.h"
#include "lists/nameorder.h"
#include "store/datafolder.h"
#include "store/readings.h"
#include "store/titletable.h"
#include "store/tracktable.h"
#include "upkeep/helptour.h"

// What the screens share for the whole run: the collection in memory, the data folder
// and the few flags that pass between screens. Owned by the main window.
struct AppState {
    AppState(DataFolder& dataFolder, Dialogs& dialogs)
        : folder(dataFolder)
        , tour(dialogs)
        , trackLists(dataFolder)
    {
    }

    DataFolder& folder;
    TitleTable titles;
    TrackTable tracks;
    // The readings (読み) of artist, title and song names, for the 五十音 order and the search.
    ReadingTable readings;
    // The names' sort keys and folded forms, made once per name and reading.
    NameMemo nameMemo;
    HelpTour tour;
    // The track lists by the songs they hold, for finding the titles of a song.
    listrules::TrackListIndex trackLists;

    // True while start-up runs: the help-tour check box ignores its clicks then.
    bool StartingUp = false;
    // The title most recently opened from a list or search screen; 0 until then.
    int ListJumpIndex = 0;
    // Its name: the same title is found again after titles before it were deleted or
    // the order changed.
    QString ListJumpName;
    // Whether the picture catalogue still matches the titles and their order.
    bool CatalogueReady = false;
};

