#include "IconFile.h"

#include <QBuffer>
#include <QtEndian>

namespace {

void appendWord(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof bytes);
}

void appendDword(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof bytes);
}

} // namespace

QByteArray IconFileFromImage(const QImage& image)
{
    // The directory stores a side of 256 as 0; anything larger does not fit.
    if (image.isNull() || image.width() > 256 || image.height() > 256)
        return {};

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG"))
        return {};

    constexpr quint32 headerSize = 6;
    constexpr quint32 entrySize = 16;
    QByteArray out;
    appendWord(out, 0); // reserved
    appendWord(out, 1); // an icon, not a cursor
    appendWord(out, 1); // one image
    out.append(char(image.width() & 0xFF));
    out.append(char(image.height() & 0xFF));
    out.append(char(0)); // no palette
    out.append(char(0)); // reserved
    appendWord(out, 1);  // colour planes
    appendWord(out, 32); // bits per pixel
    appendDword(out, quint32(png.size()));
    appendDword(out, headerSize + entrySize);
    out.append(png);
    return out;
}
