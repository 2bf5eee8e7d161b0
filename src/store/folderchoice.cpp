#include "folderchoice.h"

#include "collectionfiles.h"
#include "filelisting.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace folderchoice {

namespace {

bool isEmptyFolder(const QString& folder)
{
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// folder as it will be opened: made from the template when missing or empty.
Choice openOrMake(const QString& folder, const QString& templateFolder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return {Choice::Action::Refuse, {}, false, u"「%1」はフォルダではありません。"_s.arg(folder)};
    const QString absolute = info.absoluteFilePath();
    if (info.exists() && !isEmptyFolder(absolute))
        return {Choice::Action::Open, absolute, false, {}};
    QString error;
    if (!makeFromTemplate(templateFolder, absolute, &error))
        return {Choice::Action::Refuse, {}, false, error};
    return {Choice::Action::Open, absolute, true, {}};
}

} // namespace

bool holdsCollection(const QString& folder)
{
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    const QString titles = foldLetterCase(files::kTitles);
    while (it.hasNext()) {
        it.next();
        if (foldLetterCase(it.fileName()) == titles)
            return true;
    }
    return false;
}

bool makeFromTemplate(const QString& templateFolder, const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder)) {
        *error = u"データフォルダ「%1」を作れませんでした。"_s.arg(folder);
        return false;
    }
    if (templateFolder.isEmpty())
        return true; // the program makes its files as they are needed
    QDirIterator it(templateFolder, QDir::Files);
    while (it.hasNext()) {
        it.next();
        const QString target = QDir(folder).filePath(it.fileName());
        if (QFile::exists(target))
            continue;
        if (!QFile::copy(it.filePath(), target)) {
            *error = u"「%1」をデータフォルダ「%2」に写せませんでした。"_s.arg(it.fileName(), folder);
            return false;
        }
        // The template may be installed read-only; the collection is the user's to change.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    }
    return true;
}

Choice choose(const QStringList& args, const QString& workingFolder, const QString& homeFolder,
              const QString& templateFolder)
{
    QStringList folders;
    for (const QString& arg : args) {
        if (arg == u"--help"_s || arg == u"-h"_s)
            return {Choice::Action::Help, {}, false, {}};
        if (arg == u"--version"_s)
            return {Choice::Action::Version, {}, false, {}};
        if (arg.startsWith(u'-') && arg != u"-"_s)
            return {Choice::Action::Refuse, {}, false, u"「%1」というオプションはありません。"_s.arg(arg)};
        folders.append(arg);
    }
    if (folders.size() > 1)
        return {Choice::Action::Refuse, {}, false, u"開けるデータフォルダは一つだけです。"_s};
    if (folders.size() == 1)
        return openOrMake(QDir(workingFolder).absoluteFilePath(folders[0]), templateFolder);
    if (holdsCollection(workingFolder))
        return {Choice::Action::Open, QDir(workingFolder).absolutePath(), false, {}};
    return openOrMake(QDir(homeFolder).filePath(kHomeFolderName), templateFolder);
}

QString findTemplate(const QString& programFolder)
{
    QStringList candidates{QDir(programFolder).filePath(u"../share/utabako/template"_s)};
#ifdef UTABAKO_SOURCE_TEMPLATE
    candidates.append(QString::fromUtf8(UTABAKO_SOURCE_TEMPLATE));
#endif
    for (const QString& candidate : candidates) {
        if (holdsCollection(candidate))
            return QDir(candidate).canonicalPath();
    }
    return {};
}

QString helpText()
{
    return u"使い方: utabako [データフォルダ]\n"
           "\n"
           "手持ちの CD やアルバムを整理する音楽コレクション管理ソフトです。\n"
           "\n"
           "  データフォルダ  そのフォルダのコレクションを開きます。無いときや空のときは、\n"
           "                  サンプル入りのデータフォルダとして作ります。\n"
           "  （省略したとき） 起動したフォルダにデータ.TXT があればそのフォルダを、\n"
           "                  無ければホームフォルダの「ウタバコ」を開きます（初回は作ります）。\n"
           "\n"
           "  -h, --help      この説明を表示します。\n"
           "  --version       版を表示します。\n"_s;
}

} // namespace folderchoice
