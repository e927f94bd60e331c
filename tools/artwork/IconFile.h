#pragma once

#include <QByteArray>
#include <QImage>

// A complete icon file holding one 32-bit image with alpha. The image is
// stored PNG-compressed, a form every icon reader since Windows Vista accepts
// and one that Qt decodes without touching the colours of translucent pixels
// (its reader of the older bitmap form darkens them).
QByteArray IconFileFromImage(const QImage& image);
