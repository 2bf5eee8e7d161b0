#pragma once

#include <QObject>
#include <QString>

#include <memory>

struct AppState;
class CoverImport;
class Dialogs;
class FileListing;
class PictureBox;
class PictureCache;
class QComboBox;
class QScrollBar;
class QWidget;

// The cover of the title on the main screen (imgGazou) and the ways a new one comes in:
// the import panel a click on the box opens (fraPicget), a picture dropped on the box,
// and a picture pasted with Ctrl+V on the screen. Covers are decoded ahead for the
// titles either side of the one on show.
class CoverBox : public QObject {
    Q_OBJECT
public:
    // screen takes Ctrl+V; nameBox names the title a new cover is for; position is the
    // scroll bar whose value is the title on show; covered is what the import panel lies
    // over, hidden while the panel is open.
    CoverBox(AppState& state, Dialogs& dialogs, QWidget& screen, QComboBox& nameBox, QScrollBar& position,
             FileListing& lyrics, QWidget& covered);
    ~CoverBox() override;

    // Shows the first of the title's picture files that can be read, or else NOPIC.JPG.
    void showCover(const QString& titleName);
    PictureCache& cache() { return *m_covers; }

    PictureBox* imgGazou;
    CoverImport* fraPicget;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The first of the picture files of title k, or empty.
    QString firstCoverFile(int k) const;

    AppState& m_state;
    QScrollBar& m_position;
    QWidget& m_covered;
    std::unique_ptr<PictureCache> m_covers;
};
