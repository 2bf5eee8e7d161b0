#include "pdffile.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

QString savePdf(const QTextDocument& page, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(page.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(u"ウタバコ"_s);
        // The page is laid out anew for the writer, with margins and page numbers.
        page.print(&writer);
    }
    if (file.error() != QFileDevice::NoError) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
