#include "ScreenPicture.h"

QPixmap ScreenPicture(const QPixmap& picture, qreal devicePixelRatio)
{
    if (picture.isNull() || qFuzzyCompare(devicePixelRatio, picture.devicePixelRatio()))
        return picture;
    const QSize logical = LogicalSize(picture);
    QPixmap scaled =
        picture.scaled(logical * devicePixelRatio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    return scaled;
}

QSize LogicalSize(const QPixmap& picture)
{
    return picture.deviceIndependentSize().toSize();
}
