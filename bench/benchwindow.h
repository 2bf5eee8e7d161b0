#pragma once

#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/printer.h"

// Ports for measuring the window: no box ever waits for an answer, as for a user with
// the tour switched off.
class SilentDialogs : public Dialogs {
public:
    Answer message(const QString&, const QString&, Icon, Buttons, Answer def) override { return def; }
    QString input(const QString&, const QString&, const QString&, int) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }
    void beep() override {}
    void setBusy(bool) override {}
};

class NoHelp : public HelpViewer {
public:
    void open(const QString&) override {}
    void closeAll() override {}
};

class NoPrinter : public Printer {
public:
    Outcome print(const QTextDocument&) override { return Outcome::NoPrinter; }
    QString pdfFileName(const QString&) override { return {}; }
};

// A data folder as a user's folder is at the design maximum: the title and song files,
// the masters, a track list for every title, 20,000 lyrics files and 100 covers of
// 12 megapixels (one photograph-like JPEG, encoded once per run).
void writeDesignMaximumFolder(const QString& folder);
// An empty collection: empty title, song and master files.
void writeEmptyCollection(const QString& folder);

// The main of a widget benchmark: a QApplication on the offscreen platform.
int runWidgetBenchmarks(int argc, char** argv);
