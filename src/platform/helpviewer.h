#pragma once

#include <QString>

// The help window: opens the help document at its start page (or at a section), and
// closes every help window when the program ends.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void open(const QString& section = {}) = 0;
    virtual void closeAll() = 0;
};
