#include "SvgLayers.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QByteArray ReadSvg(const QString& path, const ColourSwaps& swaps)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = file.readAll();
    for (const auto& [from, to] : swaps)
        text.replace(from, to);
    return text;
}

QImage RenderSvgLayers(const QList<QByteArray>& documents, QImage base)
{
    QImage image = base.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QByteArray& document : documents) {
        QSvgRenderer renderer(document);
        if (!renderer.isValid())
            return {};
        renderer.render(&painter, QRectF(image.rect()));
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
