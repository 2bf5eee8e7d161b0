#include "dailyhistory.h"

#include "collectionfiles.h"
#include "filelisting.h"
#include "regularfile.h"
#include "safetree.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDayFormat = u"yyyyMMdd"_s;

WriteResult notKept(const QString& fileName, const QString& why)
{
    return {WriteResult::Kind::Io, fileName, {}, u"履歴に元の内容を残せませんでした（%1）"_s.arg(why)};
}

// The copy where the disk has no second names for a file: read as every collection
// file is read, written whole under the day's folder.
WriteResult copyInto(const QString& source, const QString& target, const QString& fileName)
{
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(source, &error);
    if (!bytes)
        return error.isEmpty() ? WriteResult::success() : notKept(fileName, error);
    StagedFile out;
    WriteResult written = out.write(target, *bytes);
    if (written.ok())
        written = out.commit();
    if (written.kind == WriteResult::Kind::DiskFull)
        return {WriteResult::Kind::DiskFull, fileName, {}, u"履歴に元の内容を残せませんでした"_s};
    return written.ok() ? written : notKept(fileName, written.detail);
}

#ifdef Q_OS_UNIX
// A folder in the folder at, made when missing and opened never through a link, or -1.
int folderAt(int at, const QByteArray& name, bool* made)
{
    *made = ::mkdirat(at, name.constData(), 0777) == 0;
    return ::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};
#endif

} // namespace

DailyHistory::DailyHistory(const QString& dataFolder, const QStringList& names, std::function<QDate()> today)
    : m_folder(dataFolder)
    , m_today(std::move(today))
{
    for (const QString& name : names)
        m_names.insert(foldLetterCase(name));
}

QString DailyHistory::dayFolder(const QDate& day)
{
    return files::kHistoryFolder + u'/' + day.toString(kDayFormat);
}

WriteResult DailyHistory::keepBefore(const QString& fileName, QString* made)
{
    const QString folded = foldLetterCase(fileName);
    if (!m_names.contains(folded))
        return WriteResult::success();
    const QDate day = m_today();
    if (day != m_day) {
        m_day = day;
        m_kept.clear();
    }
    if (m_kept.contains(folded))
        return WriteResult::success();
    const QString dayName = day.toString(kDayFormat);
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(fileName);
    Fd data{::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    struct stat st {};
    if (data.fd < 0)
        return notKept(fileName, QString::fromStdString(std::generic_category().message(errno)));
    // A file not there, or no regular file (a link is never followed), has nothing to keep.
    if (::fstatat(data.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        m_kept.insert(folded);
        return WriteResult::success();
    }
    bool madeHistory = false;
    bool madeDay = false;
    Fd history{folderAt(data.fd, QFile::encodeName(files::kHistoryFolder), &madeHistory)};
    Fd dayFd{history.fd >= 0 ? folderAt(history.fd, QFile::encodeName(dayName), &madeDay) : -1};
    if (dayFd.fd < 0)
        return notKept(fileName, u"フォルダ「%1」を作れません"_s.arg(dayFolder(day)));
    const QString target = QDir(m_folder).filePath(dayFolder(day) + u'/' + fileName);
    if (::linkat(data.fd, name.constData(), dayFd.fd, name.constData(), 0) == 0) {
        *made = target;
    } else if (errno != EEXIST) {
        // A disk without second names (FAT, a network share): a copy.
        const WriteResult copied = copyInto(QDir(m_folder).filePath(fileName), target, fileName);
        if (!copied.ok())
            return copied;
        *made = target;
    }
    // The day's copy is on the disk before the rewrite's rename.
    ::fsync(dayFd.fd);
    if (madeDay)
        ::fsync(history.fd);
    if (madeHistory)
        ::fsync(data.fd);
#else
    const QString target = QDir(m_folder).filePath(dayFolder(day) + u'/' + fileName);
    if (QFileInfo(QDir(m_folder).filePath(fileName)).isSymLink() || !QDir(m_folder).mkpath(dayFolder(day)))
        return notKept(fileName, u"フォルダ「%1」を作れません"_s.arg(dayFolder(day)));
    if (!QFileInfo::exists(target)) {
        const WriteResult copied = copyInto(QDir(m_folder).filePath(fileName), target, fileName);
        if (!copied.ok())
            return copied;
        *made = target;
    }
#endif
    m_kept.insert(folded);
    return WriteResult::success();
}

void DailyHistory::forget(const QString& fileName, const QString& made)
{
    if (QFile::remove(made))
        m_kept.remove(foldLetterCase(fileName));
}

namespace {

QList<std::pair<QDate, QString>> allDays(const QString& dataFolder)
{
    const QDir history(QDir(dataFolder).filePath(files::kHistoryFolder));
    QList<std::pair<QDate, QString>> out;
    if (QFileInfo(history.path()).isSymLink())
        return out;
    for (const QString& name : history.entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        const QDate day = QDate::fromString(name, kDayFormat);
        if (day.isValid() && name.size() == kDayFormat.size())
            out.append({day, name});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    return out;
}

} // namespace

QList<QDate> DailyHistory::days(const QString& dataFolder)
{
    QList<QDate> out;
    for (const auto& [day, name] : allDays(dataFolder).mid(0, kDays))
        out.append(day);
    return out;
}

QStringList DailyHistory::removeOldDays(const QString& dataFolder)
{
    QStringList removed;
    const QDir history(QDir(dataFolder).filePath(files::kHistoryFolder));
    for (const auto& [day, name] : allDays(dataFolder).mid(kDays)) {
        if (safetree::removeTree(history.filePath(name)))
            removed.append(name);
    }
    return removed;
}
