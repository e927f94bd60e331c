#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A toolbar button that is nothing but its two pictures: the released one,
// and the pressed one while the left mouse button is held down over it.
// It takes the focus from the keyboard only and draws no focus mark.
class PictureButton final : public QAbstractButton
{
    Q_OBJECT

public:
    PictureButton(const QPixmap& released, const QPixmap& pressed, const QString& tooltip,
                  QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap released_;
    QPixmap pressed_;
};
