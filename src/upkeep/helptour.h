#pragma once

#include <QString>

class Dialogs;

// The guided tour for first-time users: while it is on, each guiding screen shows its
// text in an information box. The switch comes from the settings file at start-up.
class HelpTour {
public:
    explicit HelpTour(Dialogs& dialogs)
        : m_dialogs(dialogs)
    {
    }

    // HelpTourOn: 1 on, 0 off; 0 until start-up has read the settings file.
    int HelpTourOn() const { return m_on; }
    void setHelpTourOn(int on) { m_on = on; }

    // HelpTourText: the text last set; showing it does not clear it.
    const QString& HelpTourText() const { return m_text; }
    void setHelpTourText(const QString& text) { m_text = text; }

    // Shows HelpTourText while the tour is on; returns when the box is closed.
    void ShowHelpTour();
    // Sets the text and shows it.
    void show(const QString& text);

private:
    Dialogs& m_dialogs;
    int m_on = 0;
    QString m_text;
};
