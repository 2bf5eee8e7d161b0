#pragma once

#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/printer.h"

#include <QString>
#include <QStringList>

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

    QString input(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        prompts.push_back({prompt, title, Icon::Question, Buttons::OkCancel, Answer::Ok});
        order.append(QStringLiteral("?"));
        offered.append(defaultText);
        if (inputs.empty()) {
            ++unexpected;
            return {};
        }
        const QString text = inputs.front();
        inputs.pop_front();
        return text;
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
    QStringList order;   // every box in order: a message box by its title, an input box as "?"
    std::deque<Answer> answers;
    std::deque<QString> inputs;
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

class RecordingPrinter : public Printer {
public:
    bool printText(const QString& heading, const QString& text) override
    {
        printed.append(heading + QStringLiteral("\n") + text);
        return true;
    }
    QStringList printed;
};
