#pragma once

#include <QLabel>

class QAbstractScrollArea;

// "No links match" in the middle of the tree's rows, with what was asked,
// while a filter finds nothing. It lies over the rows' area rather than in
// it, so that scrolling the rows never carries it off.
class NoMatchNote final : public QLabel
{
    Q_OBJECT

public:
    explicit NoMatchNote(QAbstractScrollArea& view);

    // asked: the filter in words, said below.
    void say(const QString& asked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& rows_;
};
