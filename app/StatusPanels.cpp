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
    }
}

QString StatusPanels::panelText(int index) const
{
    return panels_.at(index)->text();
}

void StatusPanels::setPanelText(int index, const QString& text, const QString& toolTip)
{
    panels_.at(index)->setText(text);
    panels_.at(index)->setToolTip(toolTip);
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
    for (int i = 0; i < panelCount(); ++i)
        panels_.at(i)->setGeometry(panelRect(i).adjusted(1, 1, -1, -1));
    const QSize grip = grip_->sizeHint();
    grip_->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(),
                       grip.height());
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
