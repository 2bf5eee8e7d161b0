#include "qtjapanese.h"

#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

bool QtJapanese::loadQtBase()
{
    return m_qtBase.load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString QtJapanese::translate(const char* context, const char* sourceText, const char* disambiguation, int n) const
{
    if (QString translated = m_qtBase.translate(context, sourceText, disambiguation, n); !translated.isEmpty())
        return translated;
    // The type column of the file and folder dialogs, in the words qtbase_ja uses elsewhere.
    if (context && sourceText && std::strcmp(context, "QAbstractFileIconProvider") == 0) {
        if (std::strcmp(sourceText, "Folder") == 0)
            return u"フォルダ"_s;
        if (std::strcmp(sourceText, "File Folder") == 0)
            return u"ファイル フォルダ"_s;
        if (std::strcmp(sourceText, "Drive") == 0)
            return u"ドライブ"_s;
    }
    return {};
}
