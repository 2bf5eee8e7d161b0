#pragma once

#include "storeerror.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// The collection's main files as they were before the first rewrite of each day, kept in
// "履歴/yyyyMMdd" inside the data folder, so that a day can be put back. The file kept is
// the old file itself, linked under a second name before the rewrite's rename takes the
// name away from it (the store never writes into a file, it replaces it); where the disk
// has no such links it is copied, written whole. Nothing is kept through a link.
class DailyHistory {
public:
    // The newest days kept; older ones go at start-up.
    static constexpr int kDays = 14;

    // names: the files kept (any letter case); today: the day of a rewrite.
    DailyHistory(const QString& dataFolder, const QStringList& names, std::function<QDate()> today);

    // Keeps the file fileName of the data folder as it is now, unless it is no file kept
    // or today's copy is there already. *made receives the path of the copy made, for
    // forget() should the rewrite not be made after all.
    WriteResult keepBefore(const QString& fileName, QString* made);
    void forget(const QString& fileName, const QString& made);

    // The days kept, newest first (at most kDays).
    static QList<QDate> days(const QString& dataFolder);
    // The folder of a day, inside the data folder: "履歴/yyyyMMdd".
    static QString dayFolder(const QDate& day);
    // Removes the days past the newest kDays, never through a link; gives those removed.
    static QStringList removeOldDays(const QString& dataFolder);

private:
    QString m_folder;
    QSet<QString> m_names;
    std::function<QDate()> m_today;
    QDate m_day;
    QSet<QString> m_kept; // the files kept (or found absent) on m_day
};
