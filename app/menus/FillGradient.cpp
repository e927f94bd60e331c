#include "FillGradient.h"

#include <QPainter>
#include <cmath>

namespace {

// Round to nearest, halves to the even neighbour (the default rounding mode).
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

int stripeChannel(int start, int end, int steps, int index)
{
    const double increment = double(end - start) / steps;
    return (start + roundEven((index + 1) * increment)) & 0xFF;
}

int stripeEdge(int height, int steps, int index)
{
    return roundEven(double(index) * height / steps);
}

} // namespace

std::vector<GradientStripe> GradientStripes(int height, int steps, QColor start, QColor end)
{
    std::vector<GradientStripe> stripes;
    if (steps < 1)
        return stripes;

    stripes.reserve(std::size_t(steps));
    for (int i = 0; i < steps; ++i) {
        const int top = stripeEdge(height, steps, i);
        const int bottom = stripeEdge(height, steps, i + 1);
        const QColor color(stripeChannel(start.red(), end.red(), steps, i),
                           stripeChannel(start.green(), end.green(), steps, i),
                           stripeChannel(start.blue(), end.blue(), steps, i));
        stripes.push_back(GradientStripe{top, bottom, color});
    }
    return stripes;
}

void FillGradient(QPainter& canvas, const QRect& rect, int steps, QColor start, QColor end)
{
    for (const GradientStripe& stripe : GradientStripes(rect.height(), steps, start, end)) {
        if (stripe.isEmpty())
            continue;
        canvas.fillRect(
            QRect(rect.left(), rect.top() + stripe.top, rect.width(), stripe.bottom - stripe.top),
            stripe.color);
    }
}
