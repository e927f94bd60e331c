#include "Artwork.h"

#include "ExactPictures.h"
#include "IconIds.h"

#include <QFile>
#include <QPainter>

// The resource collection lives in a static library, where nothing would pull
// in its registration unless it is named.
static void registerArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

namespace {

QByteArray artworkBytes(const QString& relativePath)
{
    static const bool registered = (registerArtwork(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/artwork/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The pressed look: the picture one pixel right and down, on the same strip
// rows it stands on, so the uncovered row and column match the background.
QImage pressedPicture(const QImage& released)
{
    QImage pressed = StripBackdrop(released.size(), PictureButtonTop(released.height()));
    QPainter painter(&pressed);
    painter.drawImage(QPoint(1, 1), released);
    return pressed;
}

} // namespace

QByteArray IconResource(int id)
{
    if (id < IconFirst || id > IconLast)
        return {};
    return artworkBytes(QStringLiteral("icons/%1.ico").arg(id));
}

QPixmap ButtonPicture(const QString& name, bool pressed)
{
    // Names come from our own code, but keep them from walking the resource tree.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('.')))
        return {};
    const QImage released =
        QImage::fromData(artworkBytes(QStringLiteral("buttons/%1.png").arg(name)), "PNG");
    if (released.isNull())
        return {};
    return QPixmap::fromImage(pressed ? pressedPicture(released) : released);
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48}) {
        const QImage image =
            QImage::fromData(artworkBytes(QStringLiteral("app/%1.png").arg(side)), "PNG");
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QByteArray AboutStarPng()
{
    return artworkBytes(QStringLiteral("about-star.png"));
}
