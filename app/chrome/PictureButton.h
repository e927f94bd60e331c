#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A toolbar button that is nothing but its two pictures: the released one,
// and the pressed one while the left mouse button is held down over it.
// It takes the focus from the keyboard only, and shows it with a dotted
// rectangle inside its edge.
class PictureButton final : public QAbstractButton
{
    Q_OBJECT

public:
    PictureButton(const QPixmap& released, const QPixmap& pressed, const QString& tooltip,
                  QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QPixmap released_;
    QPixmap pressed_;
    bool keyboardFocus_ = false; // the focus last came from the keyboard
};
