#include "app/mainwindow.h"
#include "platform/endsignals.h"
#include "platform/heap.h"
#include "platform/qtdialogs.h"
#include "platform/qtjapanese.h"
#include "platform/qtprinter.h"
#include "platform/readingguesser.h"
#include "platform/texthelpviewer.h"
#include "platform/uifont.h"
#include "store/collectionlock.h"
#include "store/datafolder.h"
#include "store/folderchoice.h"
#include "upkeep/historyrules.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    returnLargeBlocksWhenFreed();
    // The command line is read before the window system is reached, so that --help
    // answers in a terminal without a desktop.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    // Where the program file lies, whichever way it was started: from the desktop menu
    // argv[0] is the bare name found on PATH.
    QString programFile = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    if (programFile.isEmpty())
        programFile = QStandardPaths::findExecutable(QString::fromLocal8Bit(argv[0]));
    const QString programFolder = QFileInfo(programFile).absolutePath();
    const folderchoice::Choice choice =
        folderchoice::choose(args, QDir::currentPath(), QDir::homePath(), folderchoice::findTemplate(programFolder));
    switch (choice.action) {
    case folderchoice::Choice::Action::Help:
        print(stdout, folderchoice::helpText());
        return 0;
    case folderchoice::Choice::Action::Version:
        print(stdout, u"ウタバコ %1\n"_s.arg(QStringLiteral(UTABAKO_VERSION)));
        return 0;
    case folderchoice::Choice::Action::Refuse:
        print(stderr, choice.message + u"\n"_s + u"utabako --help で使い方を表示します。\n"_s);
        return 2;
    case folderchoice::Choice::Action::Open:
        break;
    }

    // The collection is read on workers while the program connects to the desktop and
    // builds its screens. The folder's listing is begun before the mark of the lock is
    // made in it, and the mark is entered into that listing as the program's own: made
    // just before the listing, it would leave the listing unsure and have the folder read
    // twice.
    DataFolder folder(choice.folder);
    MainWindow::readAhead(folder);

    QApplication app(argc, argv);
    endOnSignals();
    QApplication::setApplicationName(QStringLiteral("ウタバコ"));
    // The program speaks Japanese whatever the desktop's language: so do Qt's own
    // buttons and dialogs (はい, キャンセル, the print dialog).
    QtJapanese qtJapanese;
    qtJapanese.loadQtBase();
    QApplication::installTranslator(&qtJapanese);
    // ... and draws with one Japanese font family.
    useJapaneseUiFont();
    QApplication::setApplicationVersion(QStringLiteral(UTABAKO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.utabako.utabako"));
    QDir::setCurrent(choice.folder);

    QtDialogs desktopDialogs;
    Dialogs& dialogs = desktopDialogs;
    const FolderNames::Stamp unlocked = folder.listing().stamp();
    // One copy of the program at a time writes to a collection.
    std::optional<CollectionLock> lock(std::in_place, choice.folder);
    if (lock->state() == CollectionLock::State::Held)
        folder.listing().noteOwnChange({CollectionLock::kFileName}, {}, unlocked);
    if (lock->state() == CollectionLock::State::HeldByOther) {
        const QString question = u"このデータフォルダは、別のウタバコ（プロセス番号 %1）で開かれています。\r\n"
                                 "両方で変更すると、一方の変更が失われます。\r\n\r\n"
                                 "読み取り専用で開きますか？\r\n"
                                 "（「いいえ」を押すと終了します）"_s.arg(lock->otherProcess());
        if (dialogs.message(question, u"使用中"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::YesNo,
                            Dialogs::Answer::No)
            != Dialogs::Answer::Yes)
            return 0;
        folder.setReadOnly(u"別のウタバコで開かれています"_s);
    } else if (lock->state() == CollectionLock::State::CannotWrite) {
        const QString named = u"フォルダ「%1」"_s.arg(QDir::toNativeSeparators(choice.folder));
        folder.setReadOnly(lock->whyCannotWrite(named));
    }
    if (choice.made)
        dialogs.message(u"データフォルダ「%1」を作りました。\r\n\r\n%2コレクションはすべてこのフォルダに保存されます。"_s.arg(
                            QDir::toNativeSeparators(choice.folder),
                            folderchoice::holdsCollection(choice.folder) ? u"サンプルのタイトルが入っています。"_s : QString()),
                        u"データフォルダ"_s, Dialogs::Icon::Information);

    if (endSignalled())
        return 0;
    QtPrinter printer;
    TextHelpViewer help({}, QStringLiteral(":/help/UtabakoHelp.html"));
    // Suggests readings with MeCab where it is installed; without it, suggests none.
    const std::unique_ptr<ReadingGuesser> guesser = makeReadingGuesser();
    MainWindow window(folder, dialogs, help, printer, *guesser);
    help.setDataFolderFile([&folder] { return folder.filePath(MainWindow::HelpFileName); });
    desktopDialogs.setParent(&window);
    printer.setParent(&window);
    // Each day's first change of a main file keeps the file as it was.
    folder.keepDailyHistory(historyrules::keptFiles());
    window.startUp();
    folder.startRemovingOldHistory();
    // Ended by a signal while start-up still asked something.
    if (endSignalled())
        return 0;
    const int code = app.exec();
    // Once the window is closed the folder is free for the next start: nothing is written
    // to it any more, and work still finishing in the background (a thumbnail being made
    // at the lowest priority, which a busy machine can hold up) does not keep it.
    folder.setReadOnly(u"終了しています"_s);
    lock.reset();
    return code;
}
