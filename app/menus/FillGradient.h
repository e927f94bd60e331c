#pragma once

#include <QColor>
#include <QRect>
#include <vector>

class QPainter;

// One band of a stepped gradient: rows top (inclusive) to bottom (exclusive),
// counted from the top of the filled rectangle.
struct GradientStripe
{
    bool isEmpty() const { return bottom <= top; }

    int top = 0;
    int bottom = 0;
    QColor color;
};

// The stripes a gradient of `steps` steps from start to end lays over
// `height` rows, top to bottom. Stripe i has start + round((i + 1) * d) per
// channel, d = (end - start) / steps, and rows round(i * height / steps) up to
// round((i + 1) * height / steps), rounding halves to even. All steps are
// listed, also those that cover no row; fewer than one step gives none.
std::vector<GradientStripe> GradientStripes(int height, int steps, QColor start, QColor end);

// Fills rect with those stripes, each across the full width; a stripe that
// covers no row draws nothing.
void FillGradient(QPainter& canvas, const QRect& rect, int steps, QColor start, QColor end);
