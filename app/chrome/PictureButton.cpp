#include "PictureButton.h"

#include "ScreenPicture.h"

#include <QFocusEvent>
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
    if (!hasFocus() || !keyboardFocus_)
        return;
    QPen dots(palette().color(QPalette::WindowText), 0);
    dots.setDashPattern({1, 1});
    painter.setPen(dots);
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

void PictureButton::focusInEvent(QFocusEvent* event)
{
    // Coming back from another window or a menu keeps the mark as it was.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        keyboardFocus_ = true;
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        keyboardFocus_ = false;
    }
    QAbstractButton::focusInEvent(event);
}
