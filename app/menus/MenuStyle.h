#pragma once

#include <QHash>
#include <QPointer>
#include <QProxyStyle>
#include <QSize>
#include <QString>

class QAction;
class QFont;
class QFontMetrics;
class QMenu;
class QPainter;
class QRect;
class QStyleOptionMenuItem;

// The look of the toolbar's popup menus: every item a two-line block (bold
// caption over its hint), a soft blue gradient in a thin rounded frame for
// the highlighted item, and separators as etched bars or, with a hint, as a
// small dark-red heading.
//
// Set it on each menu (QWidget::setStyle, which does not take ownership),
// keep the menus' separators from collapsing (setSeparatorsCollapsible(false))
// and put each item's hint on its action as the QString property "hint"
// (HintProperty). Set once before a menu is first shown, as the main window
// does, the property alone is enough; a hint changed later needs SetHint.
class MenuStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    explicit MenuStyle(QStyle* base = nullptr);

    static constexpr char HintProperty[] = "hint";
    // Puts a hint on an action and has its menus measure the item again
    // (a changed property alone does not tell them).
    static void SetHint(QAction& action, const QString& hint);

    // Size of a text drawn without mnemonics, left and top aligned, every
    // line break ("\n", "\r\n" or "\r") starting a new line; empty is 0 x 0.
    static QSize MeasureMenuText(const QFontMetrics& metrics, const QString& text);

    // The handlers of both menus; the font is the menu font, of which only
    // the weight changes. Rectangles are the items' rectangles in the menu.
    static QSize MeasureSeparator(const QFont& menuFont, const QString& hint);
    static void SeparatorDrawItem(QPainter& canvas, const QRect& rect, const QString& hint);
    static QSize MenuItemMeasureItem(const QFont& menuFont, const QString& caption,
                                     const QString& hint);
    static void MenuItemDrawItem(QPainter& canvas, const QRect& rect, const QString& caption,
                                 const QString& hint, bool enabled, bool selected);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
    // Where the last measured item of a menu was in its list of actions.
    struct MeasureCursor
    {
        QPointer<const QObject> menu;
        qsizetype last = -1;
    };

    const QAction* measuredAction(const QMenu& menu, const QStyleOptionMenuItem& item) const;

    mutable QHash<const QObject*, MeasureCursor> cursors_;
};
