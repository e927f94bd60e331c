#include "AppFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

const char* const wineFontFolder = "/usr/share/wine/fonts/";

QFont eightPoint(const QStringList& families)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSize(8);
    return font;
}

} // namespace

void RegisterApplicationFonts()
{
    static const bool registered = [] {
        for (const char* file : {"tahoma.ttf", "ms_sans_serif.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(wineFontFolder) +
                                              QLatin1String(file));
        return true;
    }();
    Q_UNUSED(registered);
}

QFont WindowFont()
{
    return eightPoint({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
}

QFont HeaderFont()
{
    return eightPoint(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
}
