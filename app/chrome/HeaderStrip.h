#pragma once

#include <QPixmap>
#include <QWidget>

// A picture stretched across the widget's width at its own height, blended
// over whatever lies below it (its lowest rows are a translucent shadow).
class HeaderStrip final : public QWidget
{
    Q_OBJECT

public:
    HeaderStrip(const QPixmap& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
