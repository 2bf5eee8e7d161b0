// Writes an HTML catalogue, so that tst_export can kill it at each of its writes and look
// at what is left.
//
//   catalogue_writer <target> old|new [wait]
//
// "old" and "new" are two different small collections with covers. With "wait" it
// prints "ready" once everything but the writing is done and writes only after a line
// on its input, so that a tracer can be attached in between.

#include "exchange/htmlcatalogue.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const bool old = args[2] == u"old"_s;
    QTemporaryDir covers;
    std::vector<htmlcatalogue::Entry> entries;
    const int titles = old ? 2 : 3;
    for (int i = 0; i < titles; ++i) {
        const QString name = (old ? u"旧%1"_s : u"新%1"_s).arg(i + 1);
        QImage picture(160 + 40 * i, 120, QImage::Format_RGB32);
        picture.fill(qRgb(old ? 200 : 20, 40 * i, 120));
        const QString path = covers.filePath(name + u".jpg"_s);
        if (!picture.save(path, "JPG"))
            return 2;
        entries.push_back({{name, u"歌手"_s, u"J-POP"_s, {}, u"CD"_s, u"2020/01/01"_s, {}},
                           false,
                           {{u"一曲目"_s, {}}, {u"二曲目"_s, {}}},
                           i == 1 && !old ? QString() : path});
    }
    if (args.size() > 3) {
        std::puts("ready");
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
    }
    const QString error = htmlcatalogue::write(entries, args[1]);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
