#pragma once

#include <QString>
#include <QStringList>

// Which folder the program opens as its data folder. Given a folder on the command
// line, that one; otherwise the folder it is started in when that holds a collection
// (as on Windows, where the program lay in its own folder with its data); otherwise
// "ウタバコ" in the home folder. A chosen folder that does not exist or is empty is
// made from the delivered template. No collection file is ever written into a folder
// the user did not choose.
namespace folderchoice {

inline const QString kHomeFolderName = QStringLiteral("ウタバコ");

struct Choice {
    enum class Action { Open, Help, Version, Refuse };

    Action action = Action::Open;
    QString folder;     // Open: the data folder, absolute
    bool made = false;  // Open: made from the template just now
    QString message;    // Refuse: what is wrong, for the terminal
};

// args: the command line without the program's name.
Choice choose(const QStringList& args, const QString& workingFolder, const QString& homeFolder,
              const QString& templateFolder);

// Whether folder holds a collection: its title file, in any letter case.
bool holdsCollection(const QString& folder);

// Copies the template's files into folder, making it. False with *error on failure.
bool makeFromTemplate(const QString& templateFolder, const QString& folder, QString* error);

// The delivered template: beside the installed program's shared data, else the one
// of the source tree the program was built from; empty when neither is there.
QString findTemplate(const QString& programFolder);

QString helpText();

} // namespace folderchoice
