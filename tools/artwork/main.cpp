// Renders the program's artwork at build time: the SVG sources in
// resources/svg become the icon files, the button pictures and the PNGs, and
// the busy frames are computed from their numbers. Usage:
//   orvanta_artwork <svg folder> <output folder>

#include "ArtworkWriter.h"
#include "ExactPictures.h"
#include "IconIds.h"
#include "SvgLayers.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

struct StarButton
{
    const char* name;
    const char* emblem;
};

// The green, red and amber lamps are the grey lamp in other colours: a pale
// centre, the lamp's own colour, a dark rim.
const ColourSwaps GreenLamp{{"#F4F4F4", "#DDFFCC"}, {"#A9A9A9", "#3DC43A"}, {"#6B6B6B", "#17701A"}};
const ColourSwaps RedLamp{{"#F4F4F4", "#FFD6CC"}, {"#A9A9A9", "#E43C28"}, {"#6B6B6B", "#8A140E"}};
const ColourSwaps AmberLamp{{"#F4F4F4", "#FFF0C2"}, {"#A9A9A9", "#F0A81E"}, {"#6B6B6B", "#8F5A06"}};

QImage transparent(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage buttonBase(int side)
{
    return StripBackdrop(QSize(side, side), PictureButtonTop(side));
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing here needs a screen, and the build may run without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvanta_artwork <svg folder> <output folder>\n");
        return 2;
    }
    const QDir svgDir(QString::fromLocal8Bit(argv[1]));
    ArtworkWriter writer(QString::fromLocal8Bit(argv[2]));
    auto svg = [&svgDir](const char* name, const ColourSwaps& swaps = {}) {
        return ReadSvg(svgDir.filePath(QString::fromLatin1(name)), swaps);
    };
    const QByteArray star = svg("star.svg");
    const QByteArray check = svg("check.svg");

    writer.writeIcon(IconLinkEmblem, RenderSvgLayers({svg("link.svg")}, transparent(16)));
    writer.writeIcon(IconFolder, RenderSvgLayers({svg("folder.svg")}, transparent(16)));
    writer.writeIcon(IconLampUnverified, RenderSvgLayers({svg("lamp.svg")}, transparent(16)));
    writer.writeIcon(IconLampAlive, RenderSvgLayers({svg("lamp.svg", GreenLamp)}, transparent(16)));
    writer.writeIcon(IconLampDead, RenderSvgLayers({svg("lamp.svg", RedLamp)}, transparent(16)));
    writer.writeIcon(IconLampUnsure,
                     RenderSvgLayers({svg("lamp.svg", AmberLamp)}, transparent(16)));
    writer.writeIcon(IconLampMoved, RenderSvgLayers({svg("lamp.svg", GreenLamp), svg("arrow.svg")},
                                                    transparent(16)));
    for (int frame = 0; frame < BusyIndicator::FrameCount; ++frame)
        writer.writeIcon(IconBusyFrameFirst + frame, BusyFrameImage(frame));

    const StarButton starButtons[] = {{"verify", "check.svg"},
                                      {"delete", "cross.svg"},
                                      {"options", "gear.svg"},
                                      {"help", "info.svg"}};
    for (const StarButton& button : starButtons) {
        writer.writeButton(QString::fromLatin1(button.name),
                           RenderSvgLayers({star, svg(button.emblem)}, buttonBase(29)));
    }
    writer.writeButton(QStringLiteral("homepage"),
                       RenderSvgLayers({svg("house.svg")}, buttonBase(21)));
    writer.writeButton(QStringLiteral("support"),
                       RenderSvgLayers({svg("envelope.svg")}, buttonBase(21)));

    // 256 px serves the desktop entry only and stays out of the program.
    for (int side : {16, 32, 48, 256}) {
        writer.writePng(QStringLiteral("app/%1.png").arg(side),
                        RenderSvgLayers({star}, transparent(side)), side != 256);
    }
    writer.writePng(QStringLiteral("about-star.png"),
                    RenderSvgLayers({star, check}, transparent(48)), true);

    if (!writer.finish(QStringLiteral("artwork.qrc"))) {
        for (const QString& error : writer.errors())
            std::fprintf(stderr, "orvanta_artwork: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
