#include "uifont.h"

#include <QApplication>
#include <QFontDatabase>

#ifdef UTABAKO_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

bool writesJapanese(const QString& family)
{
    return !family.isEmpty() && QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
}

// The family fontconfig gives for Japanese text, as the desktop has it configured.
QString desktopJapaneseFamily()
{
#ifdef UTABAKO_HAVE_FONTCONFIG
    QString family;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(":lang=ja"));
    if (!pattern)
        return family;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return family;
#else
    return {};
#endif
}

} // namespace

QString japaneseUiFamily()
{
    for (const QString& family : {QApplication::font().family(), desktopJapaneseFamily(), u"Noto Sans CJK JP"_s}) {
        if (writesJapanese(family))
            return family;
    }
    return {};
}

void useJapaneseUiFont()
{
    const QString family = japaneseUiFamily();
    if (family.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setFamilies({family});
    QApplication::setFont(font);
}
