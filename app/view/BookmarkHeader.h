#pragma once

#include <QHeaderView>
#include <QList>
#include <QPixmap>

class ImageList;

// The bookmark view's header: fixed height, the Status caption centred, and
// an optional picture (a busy frame) in the Status section.
class BookmarkHeader final : public QHeaderView
{
    Q_OBJECT

public:
    explicit BookmarkHeader(QWidget* parent);

    void setImages(const ImageList& images);
    // -1 shows no picture; an index the images do not have shows none either.
    void setStatusImage(int index);
    int statusImage() const { return statusImage_; }

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QList<QPixmap> images_; // copies: the header may outlive the list
    int statusImage_ = -1;
};
