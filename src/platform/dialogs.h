#pragma once

#include <QString>

// The program's modal boxes, the beep and the busy pointer. Screens get a Dialogs&
// through their constructors; the test build passes one that records every box and
// answers from a queue.
class Dialogs {
public:
    enum class Icon { Exclamation, Information, Question, Critical };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // Shows text (lines separated by CR LF or LF) and waits for an answer. def names the
    // default button; Ok for a box that only has OK.
    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok, Answer def = Answer::Ok) = 0;
    // Asks for one line of text, offering defaultText with the cursor before its
    // character cursor (at its end when cursor is -1); an empty text when the user
    // cancels.
    virtual QString input(const QString& prompt, const QString& title, const QString& defaultText = {},
                          int cursor = -1) = 0;
    // Asks for an existing folder, starting at start; an empty text when the user cancels.
    virtual QString chooseFolder(const QString& title, const QString& start) = 0;
    // Asks where to save a file, offering suggested (a path) and the filter's kinds of
    // file ("CSV (*.csv)"); an empty text when the user cancels.
    virtual QString chooseSaveFile(const QString& title, const QString& suggested, const QString& filter) = 0;
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy pointer for as long as it lives.
class BusyPointer {
public:
    explicit BusyPointer(Dialogs& dialogs)
        : m_dialogs(dialogs)
    {
        m_dialogs.setBusy(true);
    }
    ~BusyPointer() { m_dialogs.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Dialogs& m_dialogs;
};
