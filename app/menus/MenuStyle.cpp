#include "MenuStyle.h"

#include "FillGradient.h"

#include <QAction>
#include <QActionEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionMenuItem>

namespace {

const QColor ItemBackground(0xFA, 0xFA, 0xFA);
const QColor SeparatorBackground(0xDD, 0xE7, 0xEE);
const QColor GrooveUpper(0xC5, 0xC5, 0xC5);
const QColor GrooveLower(0xFA, 0xFA, 0xFA);
const QColor HeadingText(0x80, 0x00, 0x00);
const QColor HighlightFrame(0xC5, 0xC5, 0xC5);
const QColor CaptionBandTop(0xE4, 0xE8, 0xEF);
const QColor CaptionBandBottom(0xB8, 0xC5, 0xDE);
const QColor HintBandTop(0xAB, 0xBA, 0xD8);
const QColor HintBandBottom(0xE4, 0xE8, 0xEF);
const QColor EnabledText(0x00, 0x15, 0x6E);
const QColor DisabledText(0x80, 0x80, 0x80);

constexpr int GradientSteps = 256;
constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop;

// Qt breaks lines only at "\n"; the menu texts also use "\r\n" and "\r".
QString withLineFeeds(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

QFont weighted(const QFont& font, bool bold)
{
    QFont result = font;
    result.setBold(bold);
    return result;
}

// The rectangle without its corner pixels: a rounded rectangle with 3 x 3
// corner ellipses.
QRegion roundedRegion(const QRect& rect)
{
    QRegion region(rect);
    for (const QPoint& corner :
         {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
        region -= QRegion(corner.x(), corner.y(), 1, 1);
    return region;
}

// The one-pixel outline of that rounded rectangle.
void drawRoundedFrame(QPainter& canvas, const QRect& rect, const QColor& color)
{
    if (rect.width() < 3 || rect.height() < 3) {
        canvas.fillRect(rect, color);
        return;
    }
    canvas.fillRect(QRect(rect.left() + 1, rect.top(), rect.width() - 2, 1), color);
    canvas.fillRect(QRect(rect.left() + 1, rect.bottom(), rect.width() - 2, 1), color);
    canvas.fillRect(QRect(rect.left(), rect.top() + 1, 1, rect.height() - 2), color);
    canvas.fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 2), color);
}

// Rectangle from left, top and exclusive right, bottom edges.
QRect fromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

QString beforeTab(const QString& text)
{
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? text : text.left(tab);
}

QString hintOf(const QAction* action)
{
    return action ? action->property(MenuStyle::HintProperty).toString() : QString();
}

QString captionOf(const QAction* action, const QStyleOptionMenuItem& item)
{
    return beforeTab(action ? action->text() : item.text);
}

bool isOwnerDrawn(const QStyleOptionMenuItem& item)
{
    switch (item.menuItemType) {
    case QStyleOptionMenuItem::Normal:
    case QStyleOptionMenuItem::DefaultItem:
    case QStyleOptionMenuItem::SubMenu:
    case QStyleOptionMenuItem::Separator:
        return true;
    default:
        return false;
    }
}

// The actions the menu lays out, in order, as QMenu itself skips them.
QList<QAction*> laidOutActions(const QMenu& menu)
{
    QList<QAction*> result;
    const bool collapse = menu.separatorsCollapsible();
    bool previousWasSeparator = true; // leading separators collapse too
    for (QAction* action : menu.actions()) {
        if (!action->isVisible())
            continue;
        if (collapse && previousWasSeparator && action->isSeparator())
            continue;
        previousWasSeparator = action->isSeparator();
        result.append(action);
    }
    while (collapse && !result.isEmpty() && result.last()->isSeparator())
        result.removeLast();
    return result;
}

} // namespace

MenuStyle::MenuStyle(QStyle* base) : QProxyStyle(base) {}

void MenuStyle::SetHint(QAction& action, const QString& hint)
{
    const QVariant old = action.property(HintProperty);
    if (old.isValid() && old.toString() == hint)
        return;
    action.setProperty(HintProperty, hint);
    for (QObject* object : action.associatedObjects()) {
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            QActionEvent event(QEvent::ActionChanged, &action);
            QCoreApplication::sendEvent(widget, &event);
        }
    }
}

QSize MenuStyle::MeasureMenuText(const QFontMetrics& metrics, const QString& text)
{
    if (text.isEmpty())
        return QSize(0, 0);
    return metrics.boundingRect(QRect(), TextFlags, withLineFeeds(text)).size();
}

QSize MenuStyle::MeasureSeparator(const QFont& menuFont, const QString& hint)
{
    if (hint.isEmpty())
        return QSize(10, 4);
    const QSize text = MeasureMenuText(QFontMetrics(weighted(menuFont, true)), hint);
    return QSize(text.width() + 14, text.height() + 8);
}

void MenuStyle::SeparatorDrawItem(QPainter& canvas, const QRect& rect, const QString& hint)
{
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();

    canvas.fillRect(rect, SeparatorBackground);
    canvas.fillRect(fromEdges(rect.left(), bottom - 2, right, bottom - 1), GrooveUpper);
    canvas.fillRect(fromEdges(rect.left(), bottom - 1, right, bottom), GrooveLower);
    if (hint.isEmpty())
        return;

    canvas.save();
    canvas.setFont(weighted(canvas.font(), true));
    canvas.setPen(HeadingText);
    canvas.drawText(fromEdges(rect.left() + 4, rect.top(), right - 4, bottom),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, hint);
    canvas.restore();
}

QSize MenuStyle::MenuItemMeasureItem(const QFont& menuFont, const QString& caption,
                                     const QString& hint)
{
    const QSize captionSize = MeasureMenuText(QFontMetrics(weighted(menuFont, true)), caption);
    const QSize hintSize = MeasureMenuText(QFontMetrics(weighted(menuFont, false)), hint);
    return QSize(qMax(captionSize.width(), hintSize.width()) + 8,
                 captionSize.height() + hintSize.height() + 8);
}

void MenuStyle::MenuItemDrawItem(QPainter& canvas, const QRect& rect, const QString& caption,
                                 const QString& hint, bool enabled, bool selected)
{
    const QFont regular = weighted(canvas.font(), false);
    const QFont bold = weighted(canvas.font(), true);
    const int captionHeight =
        MeasureMenuText(QFontMetrics(bold, canvas.device()), caption).height();
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();
    const int seam = top + captionHeight + 4;

    canvas.fillRect(rect, ItemBackground);
    if (selected) {
        canvas.save();
        canvas.setClipRegion(roundedRegion(rect), Qt::IntersectClip);
        if (hint.isEmpty()) {
            FillGradient(canvas, rect, GradientSteps, CaptionBandTop, CaptionBandBottom);
        } else {
            FillGradient(canvas, fromEdges(left, top, right, seam), GradientSteps, CaptionBandTop,
                         CaptionBandBottom);
            FillGradient(canvas, fromEdges(left, seam, right, bottom), GradientSteps, HintBandTop,
                         HintBandBottom);
        }
        canvas.restore();
        drawRoundedFrame(canvas, rect, HighlightFrame);
    }

    canvas.save();
    canvas.setPen(enabled ? EnabledText : DisabledText);
    canvas.setFont(bold);
    canvas.drawText(fromEdges(left + 4, top + 2, right - 4, bottom), TextFlags,
                    withLineFeeds(caption));
    canvas.setFont(regular);
    canvas.drawText(fromEdges(left + 4, seam, right - 4, bottom), TextFlags, withLineFeeds(hint));
    canvas.restore();
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 0; // the items carry their own insets
    case PM_MenuPanelWidth:
        return 1;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int MenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const
{
    // A disabled item is highlighted like an enabled one.
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !menu || !item || !isOwnerDrawn(*item))
        return QProxyStyle::sizeFromContents(type, option, size, widget);

    const QAction* action = measuredAction(*menu, *item);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return MeasureSeparator(item->font, hintOf(action));
    return MenuItemMeasureItem(item->font, captionOf(action, *item), hintOf(action));
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !menu || !item || !isOwnerDrawn(*item)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    // The item being painted is the one under the middle of its rectangle.
    const QAction* action = menu->actionAt(item->rect.center());
    painter->save();
    painter->setFont(item->font);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        SeparatorDrawItem(*painter, item->rect, hintOf(action));
    else
        MenuItemDrawItem(*painter, item->rect, captionOf(action, *item), hintOf(action),
                         item->state.testFlag(State_Enabled), item->state.testFlag(State_Selected));
    painter->restore();
}

const QAction* MenuStyle::measuredAction(const QMenu& menu, const QStyleOptionMenuItem& item) const
{
    // The option names no action, and several items may share a text (all
    // separators, for one) while their hints differ. QMenu measures
    // its items in order, one pass over all of them, so the item asked for is
    // the next match after the one measured last, wrapping round to the start.
    for (auto it = cursors_.begin(); it != cursors_.end();)
        it = it->menu ? std::next(it) : cursors_.erase(it);
    MeasureCursor& cursor = cursors_[&menu];
    if (cursor.menu != &menu)
        cursor = MeasureCursor{&menu, -1};

    const QList<QAction*> actions = laidOutActions(menu);
    const bool separator = item.menuItemType == QStyleOptionMenuItem::Separator;
    const QString text = beforeTab(item.text);
    for (qsizetype step = 1; step <= actions.size(); ++step) {
        const qsizetype index = (cursor.last + step) % actions.size();
        const QAction* action = actions.at(index);
        const bool matches = separator
                                 ? action->isSeparator()
                                 : !action->isSeparator() && beforeTab(action->text()) == text;
        if (matches) {
            cursor.last = index;
            return action;
        }
    }
    return nullptr;
}
