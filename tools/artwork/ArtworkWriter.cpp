#include "ArtworkWriter.h"

#include "IconFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The picture buttons treat olive as transparent; a pixel of exactly that
// colour would punch a hole, so it moves by one step of blue.
constexpr QRgb ButtonTransparent = 0xFF808000;

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

} // namespace

ArtworkWriter::ArtworkWriter(const QString& outputDir) : dir_(outputDir) {}

void ArtworkWriter::writeIcon(int id, const QImage& image)
{
    writeFile(QStringLiteral("icons/%1.ico").arg(id), IconFileFromImage(image), true);
}

void ArtworkWriter::writeButton(const QString& name, const QImage& image)
{
    QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x) {
            if ((line[x] | 0xFF000000u) == ButtonTransparent)
                line[x] = ButtonTransparent + 1;
        }
    }
    writeFile(QStringLiteral("buttons/%1.png").arg(name),
              pngBytes(opaque.convertToFormat(QImage::Format_RGB888)), true);
}

void ArtworkWriter::writePng(const QString& relativePath, const QImage& image, bool bundled)
{
    writeFile(relativePath, pngBytes(image.convertToFormat(QImage::Format_ARGB32)), bundled);
}

bool ArtworkWriter::writeFile(const QString& relativePath, const QByteArray& bytes, bool bundled)
{
    const QString path = dir_.filePath(relativePath);
    if (bytes.isEmpty()) {
        errors_ << QStringLiteral("nothing to write for %1").arg(relativePath);
        return false;
    }
    if (!dir_.mkpath(QFileInfo(path).path())) {
        errors_ << QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        errors_ << QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    if (bundled)
        bundled_ << relativePath;
    return true;
}

bool ArtworkWriter::finish(const QString& qrcName)
{
    if (!errors_.isEmpty())
        return false;
    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/artwork\">\n";
    for (const QString& path : std::as_const(bundled_))
        qrc += "  <file>" + path.toUtf8() + "</file>\n";
    qrc += "</qresource>\n</RCC>\n";
    return writeFile(qrcName, qrc, false);
}
