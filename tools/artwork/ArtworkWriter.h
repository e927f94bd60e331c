#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>

// Writes the rendered pictures into the output folder and keeps the list of
// those that go into the program, for the resource collection written last.
class ArtworkWriter final
{
public:
    explicit ArtworkWriter(const QString& outputDir);

    // Writes the image as a single-image icon file under icons/<id>.ico.
    void writeIcon(int id, const QImage& image);
    // Writes a button picture as a 24-bit PNG under buttons/<name>.png.
    void writeButton(const QString& name, const QImage& image);
    // Writes a 32-bit PNG; `bundled` ones also go into the program.
    void writePng(const QString& relativePath, const QImage& image, bool bundled);
    // Writes the resource collection; false when anything failed.
    bool finish(const QString& qrcName);

    QStringList errors() const { return errors_; }

private:
    bool writeFile(const QString& relativePath, const QByteArray& bytes, bool bundled);

    QDir dir_;
    QStringList bundled_;
    QStringList errors_;
};
