#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

struct AppState;
class Dialogs;
class FileListing;
class PictureBox;
class QComboBox;
class QMimeData;
class QWidget;

// A picture dropped on the cover box or pasted (Ctrl+V) on the main screen becomes the
// cover of the title the name box names, as a file copied by the import panel does.
// JPEG and bitmap bytes are kept as they are; any other picture is turned into a JPEG.
class CoverDrop : public QObject {
    Q_OBJECT
public:
    // What a drop or the clipboard brings: the name it came under and its bytes, ready
    // to be written; or why it cannot be brought in.
    struct Payload {
        enum class Kind { Picture, Remote, Nothing };
        Kind kind = Kind::Nothing;
        QString name;
        std::optional<QByteArray> bytes;
    };
    static Payload payloadOf(const QMimeData& data);

    // The cover box takes drops; screen takes Ctrl+V. shown is called with the file
    // written, so that the screen shows the new cover.
    CoverDrop(AppState& state, Dialogs& dialogs, PictureBox& cover, QWidget& screen, QComboBox& nameBox,
              FileListing& lyrics, std::function<void()> shown);

    // Brings in what data holds; true when a cover was written.
    bool bringIn(const QMimeData& data);
    // Ctrl+V: brings in what the clipboard holds.
    void paste();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& m_state;
    Dialogs& m_dialogs;
    QComboBox& m_nameBox;
    FileListing& m_lyrics;
    std::function<void()> m_shown;
};
