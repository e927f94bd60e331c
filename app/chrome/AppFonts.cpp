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

QFont HeaderFont(qreal devicePixelRatio)
{
    // Wine's MS Sans Serif holds bitmaps of one size only: on a scaled screen
    // it comes out tiny and spaced apart, so Tahoma, its scalable twin, serves.
    if (!qFuzzyCompare(devicePixelRatio, 1.0))
        return WindowFont();
    return eightPoint(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
}
