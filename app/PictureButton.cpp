#include "PictureButton.h"

#include "ScreenPicture.h"

#include <QPainter>

PictureButton::PictureButton(const QPixmap& released, const QPixmap& pressed,
                             const QString& tooltip, QWidget* parent)
    : QAbstractButton(parent), released_(released), pressed_(pressed)
{
    setToolTip(tooltip);
    // Screen readers know the button by what its tooltip says.
    setAccessibleName(tooltip);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PictureButton::sizeHint() const
{
    return LogicalSize(released_);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    // QAbstractButton keeps isDown() true only while the pointer is over the
    // button with the left button held, so the pressed picture follows it.
    QPainter painter(this);
    painter.drawPixmap(0, 0, isDown() ? pressed_ : released_);
}
