#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

struct PngPixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // non-premultiplied RGBA, rows top to bottom
};

// Decodes a PNG held in memory with libpng's simplified API.
bool DecodePng(const QByteArray& data, PngPixels& out);
