#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QPointer>
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
// JPEG and bitmap bytes are kept as they are; any other picture is turned into a JPEG,
// made smaller first when it is larger than a JPEG can hold. A picture is read and
// turned into a JPEG on a worker, under the busy pointer, and the window stays free.
class CoverDrop : public QObject {
    Q_OBJECT
public:
    // What a drop or the clipboard brings: the name it came under and its bytes, ready
    // to be written; or why it cannot be brought in.
    struct Payload {
        enum class Kind { Picture, Remote, Nothing };
        Kind kind = Kind::Nothing;
        QString name;
        std::optional<QByteArray> bytes; // only ever a whole picture
    };
    // What the drop or the clipboard offers, taken from its data on the window's thread,
    // where the data lives; nothing is read or decoded in taking it.
    struct Offer {
        QString file;                    // a local file's path
        std::optional<QByteArray> bytes; // a picture's bytes as the source gave them
        QImage image;                    // a picture the source gave decoded
        QString remote;                  // the address of a picture that is not local
        std::optional<QString> text;
        // Whether there is anything to read or decode before the payload is known.
        bool needsReading() const { return !file.isEmpty() || bytes || !image.isNull() || text; }
    };
    static Offer offerOf(const QMimeData& data);
    // The offer read, made ready to be written and checked to be a whole picture. Safe on
    // any thread.
    static Payload payloadOf(const Offer& offer);
    static Payload payloadOf(const QMimeData& data) { return payloadOf(offerOf(data)); }

    // The cover box takes drops; screen takes Ctrl+V. shown is called with the file
    // written, so that the screen shows the new cover.
    CoverDrop(AppState& state, Dialogs& dialogs, PictureBox& cover, QWidget& screen, QComboBox& nameBox,
              FileListing& lyrics, std::function<void()> shown);
    ~CoverDrop() override;

    // Starts bringing in what data holds as the cover of the title named now; false when
    // it holds nothing to bring in, or another picture is still being brought in.
    bool bringIn(const QMimeData& data);
    // Ctrl+V: brings in what the clipboard holds.
    void paste();
    // Whether a picture is still being read or turned into a JPEG.
    bool bringingIn() const { return !m_reading.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static Payload readOffer(const Offer& offer);
    void write(const Payload& payload, const QString& title);

    AppState& m_state;
    Dialogs& m_dialogs;
    QComboBox& m_nameBox;
    FileListing& m_lyrics;
    std::function<void()> m_shown;
    QPointer<QFutureWatcher<Payload>> m_reading;
};
