#include "app/mainwindow.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "platform/texthelpviewer.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ウタバコ"));

    // The collection lives in the folder the program is started in.
    DataFolder folder(QDir::currentPath());
    QtDialogs dialogs;
    QtPrinter printer;
    TextHelpViewer help(folder.filePath(MainWindow::HelpFileName), QStringLiteral(":/help/UtabakoHelp.html"));

    MainWindow window(folder, dialogs, help, printer);
    dialogs.setParent(&window);
    printer.setParent(&window);
    window.startUp();
    return app.exec();
}
