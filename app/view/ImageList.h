#pragma once

#include <QByteArray>
#include <QList>
#include <QPixmap>

class QPainter;

// A row of equally sized pictures addressed by index, as the tree's node
// icons, the status lamps and the header's busy frames are.
class ImageList final
{
public:
    ImageList(int width, int height);

    // Decodes a complete icon file and appends its picture, scaled to the
    // list's size when it differs. False (and nothing added) when the data
    // holds no picture.
    bool addIcon(const QByteArray& iconFile);

    // The ratio of the screen the pictures are shown on; pictures added after
    // this are resized smoothly to its pixels.
    void setDevicePixelRatio(qreal ratio) { devicePixelRatio_ = ratio; }

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return int(images_.size()); }
    const QPixmap& image(int index) const { return images_.at(index); }

    // Draws picture index with its top-left corner at (x, y); an index the
    // list does not have draws nothing.
    void draw(QPainter& painter, int x, int y, int index) const;

private:
    int width_;
    int height_;
    qreal devicePixelRatio_ = 1.0;
    QList<QPixmap> images_;
};
