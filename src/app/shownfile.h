#pragma once

#include <QString>

#include <optional>

class DataFolder;
class Dialogs;

// What a box that edits a file showed of it: the file's name and its text as read (or
// that there was no such file). A save writes only over what the user saw: when the
// file has been changed since (on another screen, by another program), the user is
// asked first.
class ShownFile {
public:
    // Reads the file and remembers its text as shown; nothing when it is absent.
    std::optional<QString> read(DataFolder& folder, const QString& name);
    // A file that is not read (its name cannot be one): shown as absent.
    void showAbsent(const QString& name);

    bool isSet() const { return !m_name.isNull(); }
    const QString& name() const { return m_name; }
    const std::optional<QString>& shown() const { return m_shown; }

    // True when the file still holds what was shown, or the user agreed to replace what
    // it holds now; false, with nothing changed, when the user said No.
    bool mayOverwrite(DataFolder& folder, Dialogs& dialogs) const;
    // After a write: the file holds text, and that is what the box shows.
    void wrote(const QString& text) { m_shown = text; }

private:
    QString m_name;
    std::optional<QString> m_shown;
};
