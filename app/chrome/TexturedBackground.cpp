#include "TexturedBackground.h"

#include <QPainter>

TexturedBackground::TexturedBackground(const QPixmap& texture, QWidget* parent)
    : QWidget(parent), texture_(texture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TexturedBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), texture_);
}
