#pragma once

#include "../store/fixture.h"
#include "scripteddialogs.h"

#include "app/mainwindow.h"
#include "store/datafolder.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A real main window on a temporary data folder, with scripted dialogs, a recording
// help viewer and printer. Tests write the files they need, then start().
class UiFixture {
public:
    UiFixture()
        : folder(tmp.path())
    {
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
        window = std::make_unique<MainWindow>(folder, dialogs, help, printer);
        window->startUp();
        return *window;
    }

    QTemporaryDir tmp;
    DataFolder folder;
    ScriptedDialogs dialogs;
    RecordingHelpViewer help;
    RecordingPrinter printer;
    std::unique_ptr<MainWindow> window;
};
