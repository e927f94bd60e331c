#include "HeaderStrip.h"

#include "ScreenPicture.h"

#include <QPainter>

HeaderStrip::HeaderStrip(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture)
{
}

void HeaderStrip::paintEvent(QPaintEvent*)
{
    // All columns of the picture are alike, so plain (unsmoothed) stretching
    // keeps every row's colour exact.
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, width(), LogicalSize(picture_).height()), picture_);
}
