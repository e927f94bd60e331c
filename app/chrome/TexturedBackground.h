#pragma once

#include <QPixmap>
#include <QWidget>

// The window's surface: one small picture repeated from the top-left corner.
class TexturedBackground final : public QWidget
{
    Q_OBJECT

public:
    TexturedBackground(const QPixmap& texture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap texture_;
};
