#pragma once

#include "../store/fixture.h"
#include "scripteddialogs.h"

#include "app/mainwindow.h"
#include "lists/nameorder.h"
#include "store/datafolder.h"

#include <QBuffer>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

// The lists' settings, kept in a folder of the test run's own, never in the user's.
inline void setListOptions(bool readingOrder, bool fuzzySearch)
{
    static const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    listoptions::setReadingOrder(readingOrder);
    listoptions::setFuzzySearch(fuzzySearch);
}

// A real main window on a temporary data folder, with scripted dialogs, a recording
// help viewer and printer. Tests write the files they need, then start(). Names are in
// code order and searches exact unless a test sets the lists' settings otherwise.
class UiFixture {
public:
    UiFixture()
    {
        setListOptions(false, false);
        folder.emplace(tmp.path());
    }

    QString path(const QString& name) const { return tmp.filePath(name); }
    bool put(const QString& name, const QString& text) { return fixture::write(path(name), fixture::sjis(text)); }
    bool putBytes(const QString& name, const QByteArray& bytes) { return fixture::write(path(name), bytes); }
    QByteArray bytes(const QString& name) const { return fixture::read(path(name)); }

    // A title record line as the title file holds it.
    static QString title(const QString& name, const QString& artist = QStringLiteral("歌手"),
                         const QString& rating = QStringLiteral("◎"))
    {
        return QStringLiteral("\"%1\",\"%2\",\"J-POP\",\"%3\",\"CD\",\"2026/12/07\",\"\"\r\n").arg(name, artist, rating);
    }

    MainWindow& start()
    {
        window = std::make_unique<MainWindow>(*folder, dialogs, help, printer, guesser);
        window->startUp();
        return *window;
    }

    // The program run again on the same data folder: the window goes, a new one starts.
    MainWindow& restart()
    {
        window.reset();
        folder.emplace(tmp.path());
        return start();
    }

    QTemporaryDir tmp;
    std::optional<DataFolder> folder;
    ScriptedDialogs dialogs;
    RecordingHelpViewer help;
    RecordingPrinter printer;
    ScriptedGuesser guesser;
    std::unique_ptr<MainWindow> window;
};

// A small picture of one colour, in the format named ("JPG", "BMP", "PNG").
inline QByteArray solidPicture(QRgb colour, const char* format)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Characters that pasted web text and Linux input give and that CP932 stores as others,
// and the full-width tilde, which it keeps: text typed with one of them must be used
// as it reads back once stored.
struct StoredForm {
    const char* row;
    QString typed;
    QString stored;
};

inline std::vector<StoredForm> storedForms()
{
    return {{"wave dash", QStringLiteral("〜"), QStringLiteral("～")},
            {"minus sign", QStringLiteral("−"), QStringLiteral("－")},
            {"em dash", QStringLiteral("—"), QStringLiteral("―")},
            {"yen sign", QStringLiteral("¥"), QStringLiteral("￥")},
            {"full-width tilde, kept", QStringLiteral("～"), QStringLiteral("～")}};
}
