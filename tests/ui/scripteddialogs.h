#pragma once

#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/printer.h"
#include "platform/readingguesser.h"

#include <QHash>

#include <QString>
#include <QStringList>
#include <QTextDocument>

#include <deque>
#include <vector>

// Dialogs for tests: records every box and answers from queues. A box that asks a
// question no answer was queued for is counted as unexpected.
class ScriptedDialogs : public Dialogs {
public:
    struct Box {
        QString text;
        QString title;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
        Answer def = Answer::Ok;
    };

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons, Answer def) override
    {
        boxes.push_back({text, title, icon, buttons, def});
        order.append(title);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (buttons != Buttons::Ok)
            ++unexpected;
        return def;
    }

    QString input(const QString& prompt, const QString& title, const QString& defaultText, int cursor) override
    {
        prompts.push_back({prompt, title, Icon::Question, Buttons::OkCancel, Answer::Ok});
        order.append(QStringLiteral("?"));
        offered.append(defaultText);
        cursors.append(cursor);
        if (inputs.empty()) {
            ++unexpected;
            return {};
        }
        const QString text = inputs.front();
        inputs.pop_front();
        return text;
    }

    // A file or folder chooser gives the next queued path; with none queued it counts as
    // unexpected and is cancelled.
    QString chooseFolder(const QString& title, const QString& start) override { return chosen(title, start); }
    QString chooseSaveFile(const QString& title, const QString& suggested, const QString&) override
    {
        return chosen(title, suggested);
    }
    QString chosen(const QString& title, const QString& offeredPath)
    {
        order.append(QStringLiteral("…") + title);
        offered.append(offeredPath);
        if (paths.empty()) {
            ++unexpected;
            return {};
        }
        const QString path = paths.front();
        paths.pop_front();
        return path;
    }

    void beep() override { ++beeps; }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    QStringList titles() const
    {
        QStringList out;
        for (const Box& b : boxes)
            out.append(b.title);
        return out;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Box& b : boxes)
            out.append(b.text);
        return out;
    }
    void clear() { boxes.clear(); prompts.clear(); beeps = 0; }

    std::vector<Box> boxes;
    std::vector<Box> prompts;
    QStringList offered; // the default text of each input box
    QList<int> cursors;  // where each input box put the cursor in its default text (-1: at its end)
    QStringList order;   // every box in order: a message box by its title, an input box as "?",
                         // a chooser as "…" and its title
    std::deque<Answer> answers;
    std::deque<QString> inputs;
    std::deque<QString> paths; // answers of the file and folder choosers
    int beeps = 0;
    int busyDepth = 0;
    int unexpected = 0;
};

class RecordingHelpViewer : public HelpViewer {
public:
    void open(const QString& section) override { opened.append(section); ++openWindows; }
    void closeAll() override { openWindows = 0; ++closeCalls; }
    QStringList opened;
    int openWindows = 0;
    int closeCalls = 0;
};

// A printer for tests: records each page sent to it (its title, then its text) and
// answers as scripted: printed unless an outcome is queued; the PDF save dialog gives
// the queued paths, and is cancelled when none is left.
class RecordingPrinter : public Printer {
public:
    Outcome print(const QTextDocument& page) override
    {
        printed.append(page.metaInformation(QTextDocument::DocumentTitle) + QStringLiteral("\n") + page.toPlainText());
        if (outcomes.empty())
            return Outcome::Printed;
        const Outcome o = outcomes.front();
        outcomes.pop_front();
        return o;
    }
    QString pdfFileName(const QString& suggested) override
    {
        suggestedPdfNames.append(suggested);
        if (pdfPaths.empty())
            return {};
        const QString path = pdfPaths.front();
        pdfPaths.pop_front();
        return path;
    }
    QStringList printed;
    std::deque<Outcome> outcomes;
    QStringList suggestedPdfNames;
    std::deque<QString> pdfPaths;
};

// A reading guesser for tests: suggests the readings it was given, and nothing for
// other names.
class ScriptedGuesser : public ReadingGuesser {
public:
    bool isAvailable() const override { return true; }
    std::optional<ReadingGuess> guess(const QString& name) override
    {
        const auto it = guesses.constFind(name);
        return it == guesses.cend() ? std::nullopt : std::optional(*it);
    }

    QHash<QString, ReadingGuess> guesses;
};
