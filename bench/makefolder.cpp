#include "benchwindow.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

// bench_makefolder FOLDER max|empty: writes that collection into FOLDER (made if need be).
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 || (args[2] != QStringLiteral("max") && args[2] != QStringLiteral("empty"))) {
        std::fputs("usage: bench_makefolder FOLDER max|empty\n", stderr);
        return 2;
    }
    if (!QDir().mkpath(args[1]))
        return 1;
    if (args[2] == QStringLiteral("max"))
        writeDesignMaximumFolder(args[1]);
    else
        writeEmptyCollection(args[1]);
    return 0;
}
