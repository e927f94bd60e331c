#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// Every picture of the program. The texture, the header strip and the busy
// frames are made from their exact pixel values; the rest are rendered from
// our SVG sources at build time and carried as Qt resources.

QImage TextureImage();     // 6 x 4, tiled by the background
QImage HeaderStripImage(); // 9 x 34, ARGB32 (rows 31-33 a translucent shadow)

// An icon resource (an IconId) as a complete .ico file; empty for an
// identifier that names none.
QByteArray IconResource(int id);

// Picture buttons: "verify", "delete", "options", "help" (29 x 29),
// "homepage", "support" (21 x 21). The pressed picture is the released one
// moved one pixel right and down.
QPixmap ButtonPicture(const QString& name, bool pressed);

QIcon ApplicationIcon();   // glossy green star, 16, 32 and 48 px
QByteArray AboutStarPng(); // 48 x 48 PNG with alpha: green star with a yellow tick
