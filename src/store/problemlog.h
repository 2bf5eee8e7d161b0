#pragma once

#include "storeerror.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// What was found wrong in the files read, and what the writers must know of it: a
// damaged file is told of once and copied aside before its first write; a file that
// ends within a record must be written whole rather than appended to. Case twins in
// the title file are told of once, as a pair, and need no copy.
class ProblemLog {
public:
    // path: the full path of the file the problem is in.
    void note(const LoadProblem& problem, const QString& path);

    // Problems in the order met. With a listener set, each is handed to it as it is
    // met instead of being kept for take().
    void setListener(std::function<void(const LoadProblem&)> listener) { m_listener = std::move(listener); }
    QList<LoadProblem> take() { return std::exchange(m_problems, {}); }

    // Whether the file must be copied aside before it is written.
    bool needsCopy(const QString& path) const { return m_damaged.contains(path); }
    void copied(const QString& path, const QString& copyName);
    QStringList takeCopies() { return std::exchange(m_copies, {}); }

    // A file that could not be read is not written until it has been read whole.
    bool unreadable(const QString& path) const { return m_unreadable.contains(path); }
    void readWhole(const QString& path) { m_unreadable.remove(path); }

    bool endsWithinRecord(const QString& path) const { return m_cutShort.contains(path); }
    // The file was written whole: whatever was cut short in it is gone.
    void rewritten(const QString& path) { m_cutShort.remove(path); }

private:
    void tell(const LoadProblem& problem);

    std::function<void(const LoadProblem&)> m_listener;
    QList<LoadProblem> m_problems;
    QSet<QString> m_damaged;  // not yet copied aside
    QSet<QString> m_told;     // files told of in this run
    QSet<QString> m_cutShort;
    QSet<QString> m_unreadable;
    QSet<QString> m_twinsTold;
    QStringList m_copies;
};
