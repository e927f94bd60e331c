#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

using ColourSwaps = QList<QPair<QByteArray, QByteArray>>;

// The SVG file's text with every colour named in `swaps` replaced; a picture
// that only differs from another in its colours is kept once that way.
// Returns an empty array when the file cannot be read.
QByteArray ReadSvg(const QString& path, const ColourSwaps& swaps = {});

// Paints the SVG documents over `base`, first to last, each scaled to the
// whole image, antialiased. Returns a null image when a document is not valid
// SVG, so a broken source stops the build instead of shipping a blank.
QImage RenderSvgLayers(const QList<QByteArray>& documents, QImage base);
