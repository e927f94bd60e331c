#include "StatusPanels.h"

#include <QLabel>
#include <QPainter>
#include <QSizeGrip>
#include <algorithm>

namespace {
const int panelGap = 2; // space between two panels
}

StatusPanels::StatusPanels(const QList<int>& fixedWidths, QWidget* parent)
    : QStatusBar(parent), fixedWidths_(fixedWidths), grip_(new QSizeGrip(this))
{
    // The status bar's own grip would sit where its layout puts it; ours goes
    // into the very corner.
    setSizeGripEnabled(false);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    for (qsizetype i = 0; i <= fixedWidths_.size(); ++i) {
        auto* label = new QLabel(this);
        label->setIndent(2);
        label->setTextFormat(Qt::PlainText);
        panels_.append(label);
        texts_.append(PanelText{});
    }
}

QString StatusPanels::panelText(int index) const
{
    return texts_.at(index).text;
}

void StatusPanels::setPanelText(int index, const QString& text, const QString& toolTip)
{
    texts_[index] = {text, toolTip};
    showPanelText(index);
}

int StatusPanels::textRoom(int index) const
{
    const QLabel* label = panels_.at(index);
    int right = label->contentsRect().right();
    // The last panel runs under the size grip; its text stops short of it.
    if (index == panelCount() - 1)
        right = std::min(right, grip_->x() - label->x() - 1);
    return std::max(0, right + 1 - label->contentsRect().left() - label->indent());
}

void StatusPanels::showPanelText(int index)
{
    QLabel* label = panels_.at(index);
    const PanelText& shown = texts_.at(index);
    const QFontMetrics metrics = label->fontMetrics();
    const int room = textRoom(index);
    // Before it is first shown a panel has no width of its own yet; the
    // resize that comes with showing it cuts the text if need be.
    if (!isVisible() || metrics.horizontalAdvance(shown.text) <= room) {
        label->setText(shown.text);
        label->setToolTip(shown.toolTip);
        return;
    }
    // Cut only when nothing else helps; the tooltip then has it all.
    label->setText(metrics.elidedText(shown.text, Qt::ElideRight, room));
    label->setToolTip(shown.toolTip.isEmpty() ? shown.text : shown.text + u'\n' + shown.toolTip);
}

QRect StatusPanels::panelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += fixedWidths_.at(i);
    const int right = index < fixedWidths_.size() ? left + fixedWidths_.at(index) : width();
    return QRect(left, 2, std::max(0, right - left - panelGap), std::max(0, height() - 2));
}

void StatusPanels::resizeEvent(QResizeEvent* event)
{
    QStatusBar::resizeEvent(event);
    const QSize grip = grip_->sizeHint();
    grip_->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(),
                       grip.height());
    for (int i = 0; i < panelCount(); ++i) {
        panels_.at(i)->setGeometry(panelRect(i).adjusted(1, 1, -1, -1));
        showPanelText(i);
    }
}

void StatusPanels::paintEvent(QPaintEvent*)
{
    // A sunken edge around each panel, as the platform's status bars have.
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    for (int i = 0; i < panelCount(); ++i) {
        const QRect r = panelRect(i);
        if (r.isEmpty())
            continue;
        painter.fillRect(r.left(), r.top(), r.width(), 1, shadow);
        painter.fillRect(r.left(), r.top(), 1, r.height(), shadow);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, light);
        painter.fillRect(r.right(), r.top(), 1, r.height(), light);
    }
}
