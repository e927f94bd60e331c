#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;
class QSizeGrip;

// The window's status bar: text panels of fixed widths, the last one running
// to the right edge, and a size grip in the corner. Each panel is a label.
// A standard status bar underneath, so assistive tools know what it is; the
// panels are laid out and framed here to keep their classic look.
class StatusPanels final : public QStatusBar
{
    Q_OBJECT

public:
    // fixedWidths: the widths of every panel but the last.
    StatusPanels(const QList<int>& fixedWidths, QWidget* parent);

    int panelCount() const { return int(panels_.size()); }
    QLabel* panel(int index) const { return panels_.at(index); }
    // The whole text, also while the panel shows it cut short.
    QString panelText(int index) const;
    // The tooltip goes with the text it explains, so a new text drops the old one's.
    // A text too long for its panel is cut at the end with "…" and shown
    // whole in the tooltip.
    void setPanelText(int index, const QString& text, const QString& toolTip = {});
    // The room the panel's label has for text, in pixels.
    int textRoom(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct PanelText
    {
        QString text;
        QString toolTip;
    };

    QRect panelRect(int index) const;
    void showPanelText(int index);

    QList<int> fixedWidths_;
    QList<QLabel*> panels_;
    QList<PanelText> texts_;
    QSizeGrip* grip_;
};
