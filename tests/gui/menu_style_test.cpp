#include "FillGradient.h"
#include "MenuStyle.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QString ProductCaption = QStringLiteral("Quillmark Portable Edition");
const QString ProductHint =
    QStringLiteral("Bookmarks manager to store your bookmarks on USB Flash Drive\r\n"
                   " and synchronize it between any popular browsers and any computer.");
const QString Heading = QStringLiteral("Other our products");

constexpr QRgb ItemBackground = 0xFFFAFAFA;
constexpr QRgb SeparatorBackground = 0xFFDDE7EE;
constexpr QRgb Groove = 0xFFC5C5C5; // also the highlight frame
constexpr QRgb HeadingText = 0xFF800000;
constexpr QRgb EnabledText = 0xFF00156E;
constexpr QRgb DisabledText = 0xFF808080;

QFont menuFont(bool bold = false)
{
    QFont font = QApplication::font("QMenu");
    font.setPixelSize(11); // fixed, so images and the screen measure alike
    font.setBold(bold);
    return font;
}

std::string hex(QRgb colour)
{
    return QColor(colour).name().toStdString();
}

int countPixels(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

// The row colours FillGradient gives a band of the given height.
QImage referenceBand(int height, QRgb start, QRgb end)
{
    QImage band(1, height, QImage::Format_RGB32);
    QPainter painter(&band);
    FillGradient(painter, band.rect(), 256, QColor(start), QColor(end));
    return band;
}

// One item (or, with no caption, a separator) drawn on its own.
QImage draw(QSize size, const QString& caption, const QString& hint, bool enabled = true,
            bool selected = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.setFont(menuFont());
    if (caption.isNull())
        MenuStyle::SeparatorDrawItem(painter, image.rect(), hint);
    else
        MenuStyle::MenuItemDrawItem(painter, image.rect(), caption, hint, enabled, selected);
    return image;
}

TEST(MenuMeasuring, textsKeepAmpersandsAndBreakAtEveryLineEnd)
{
    const QFontMetrics metrics(menuFont());
    EXPECT_EQ(MenuStyle::MeasureMenuText(metrics, ""), QSize(0, 0));
    EXPECT_GT(MenuStyle::MeasureMenuText(metrics, "A&B").width(),
              MenuStyle::MeasureMenuText(metrics, "AB").width());

    const QSize oneLine = MenuStyle::MeasureMenuText(metrics, "wide first line");
    const QSize crlf = MenuStyle::MeasureMenuText(metrics, "wide first line\r\n short");
    EXPECT_EQ(crlf, MenuStyle::MeasureMenuText(metrics, "wide first line\r short"));
    EXPECT_EQ(crlf.width(), oneLine.width()) << "CR LF is one break with no width";
    EXPECT_GE(crlf.height(), 2 * metrics.height());
    EXPECT_LT(crlf.height(), 3 * metrics.height());
}

TEST(MenuMeasuring, itemsAndSeparatorsGetTheirMarginsAroundTheRightWeights)
{
    const QFontMetrics bold(menuFont(true));
    const QFontMetrics regular(menuFont());
    EXPECT_EQ(MenuStyle::MeasureSeparator(menuFont(), ""), QSize(10, 4));
    EXPECT_EQ(MenuStyle::MeasureSeparator(menuFont(), Heading),
              MenuStyle::MeasureMenuText(bold, Heading) + QSize(14, 8));
    EXPECT_GT(MenuStyle::MeasureMenuText(bold, Heading).width(),
              regular.horizontalAdvance(Heading));

    const QSize about = MenuStyle::MenuItemMeasureItem(menuFont(), "About...", "");
    EXPECT_EQ(about.height(), bold.height() + 8);
    EXPECT_NEAR(about.width(), bold.horizontalAdvance("About...") + 8, 1);

    // The product hint is two lines, the second wider than the caption.
    const QSize product = MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint);
    const QSize hint = MenuStyle::MeasureMenuText(regular, ProductHint);
    EXPECT_EQ(product.height(), bold.height() + hint.height() + 8);
    EXPECT_NEAR(product.width(), regular.horizontalAdvance(ProductHint.split("\r\n").last()) + 8,
                1);
}

TEST(MenuPainting, highlightedProductItemHasTwoBandsWithASharpSeamInARoundedFrame)
{
    const QSize size =
        MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint) + QSize(30, 0);
    const QImage image = draw(size, ProductCaption, ProductHint, true, true);
    const int seam =
        MenuStyle::MeasureMenuText(QFontMetrics(menuFont(true), &image), ProductCaption).height() +
        4;
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;

    for (const QPoint corner :
         {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        EXPECT_EQ(hex(image.pixel(corner)), hex(ItemBackground));
    for (const QPoint edge : {QPoint(1, 0), QPoint(0, 1), QPoint(0, seam),
                              QPoint(right, bottom - 1), QPoint(right - 1, bottom)})
        EXPECT_EQ(hex(image.pixel(edge)), hex(Groove)) << edge.x() << "," << edge.y();

    const QImage captionBand = referenceBand(seam, 0xE4E8EF, 0xB8C5DE);
    const QImage hintBand = referenceBand(size.height() - seam, 0xABBAD8, 0xE4E8EF);
    for (int y = 1; y < bottom; ++y) {
        const QRgb expected = y < seam ? captionBand.pixel(0, y) : hintBand.pixel(0, y - seam);
        EXPECT_EQ(hex(image.pixel(right - 3, y)), hex(expected)) << "row " << y;
    }
    EXPECT_NE(captionBand.pixel(0, seam - 1), hintBand.pixel(0, 0)) << "the seam is sharp";
    EXPECT_GT(countPixels(image, QRect(4, seam, size.width() - 8, bottom - seam), EnabledText), 0);
}

TEST(MenuPainting, itemWithoutHintHighlightsInOneBandAndTextColourFollowsEnabledOnly)
{
    const QImage plain = draw(QSize(80, 24), "", "", true, false);
    EXPECT_EQ(countPixels(plain, plain.rect(), ItemBackground), 80 * 24);
    const QImage selected = draw(QSize(80, 24), "", "", true, true);
    const QImage band = referenceBand(24, 0xE4E8EF, 0xB8C5DE);
    for (int y = 1; y < 23; ++y)
        EXPECT_EQ(hex(selected.pixel(40, y)), hex(band.pixel(0, y))) << "row " << y;

    const QSize size = MenuStyle::MenuItemMeasureItem(menuFont(), "Stop", "Stop verifying links");
    for (const bool enabled : {false, true}) {
        for (const bool highlighted : {false, true}) {
            const QImage image = draw(size, "Stop", "Stop verifying links", enabled, highlighted);
            EXPECT_GT(countPixels(image, image.rect(), enabled ? EnabledText : DisabledText), 0);
            EXPECT_EQ(countPixels(image, image.rect(), enabled ? DisabledText : EnabledText), 0);
        }
    }
}

TEST(MenuPainting, separatorsAreEtchedBarsAndTheHeadingIsDarkRedOnBlueGrey)
{
    const QImage bar = draw(QSize(50, 4), QString(), "");
    const QRgb rows[] = {SeparatorBackground, SeparatorBackground, Groove, ItemBackground};
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(countPixels(bar, QRect(0, y, 50, 1), rows[y]), 50) << "row " << y;

    const QSize size = MenuStyle::MeasureSeparator(menuFont(), Heading) + QSize(20, 0);
    const QImage heading = draw(size, QString(), Heading);
    const int bottom = size.height() - 1;
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, 1)), hex(SeparatorBackground));
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, bottom - 1)), hex(Groove));
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, bottom)), hex(ItemBackground));
    EXPECT_GT(countPixels(heading, heading.rect(), HeadingText), 0);
    EXPECT_EQ(countPixels(heading, QRect(0, 0, 4, size.height()), HeadingText), 0);
}

// The help menu as the main window builds it, with the style set on it.
class StyledHelpMenu : public ::testing::Test
{
protected:
    StyledHelpMenu()
    {
        menu.setStyle(&style);
        menu.setFont(menuFont());
        menu.setSeparatorsCollapsible(false);
        about = menu.addAction("About...");
        heading = menu.addSeparator();
        MenuStyle::SetHint(*heading, Heading);
        product = menu.addAction(ProductCaption);
        plain = menu.addSeparator();
        other = menu.addAction("Quillmark PC");
        last = menu.addSeparator();
    }

    int height(QAction* action) { return menu.actionGeometry(action).height(); }

    MenuStyle style;
    QMenu menu;
    QAction *about, *heading, *product, *plain, *other, *last;
};

TEST_F(StyledHelpMenu, eachItemIsMeasuredWithItsOwnHintAndAgainWhenItChanges)
{
    menu.popup(QPoint(10, 10));
    EXPECT_EQ(height(product),
              MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, "").height());
    menu.hide();

    MenuStyle::SetHint(*product, ProductHint);
    menu.popup(QPoint(10, 10));
    const QSize item = MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint);
    EXPECT_EQ(height(product), item.height());
    EXPECT_EQ(height(about), MenuStyle::MenuItemMeasureItem(menuFont(), "About...", "").height());
    EXPECT_EQ(height(heading), MenuStyle::MeasureSeparator(menuFont(), Heading).height());
    EXPECT_EQ(height(plain), 4) << "a later separator is not taken for the heading";
    EXPECT_EQ(height(last), 4) << "a trailing separator stays";
    // One width for all, inside a one-pixel frame.
    EXPECT_EQ(menu.actionGeometry(about), QRect(1, 1, item.width(), height(about)));
    EXPECT_EQ(menu.sizeHint().width(), item.width() + 2);
}

TEST_F(StyledHelpMenu, paintsEveryItemWithItsOwnHintAndState)
{
    MenuStyle::SetHint(*product, ProductHint);
    other->setEnabled(false);
    menu.popup(QPoint(10, 10));
    menu.setActiveAction(product);
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QRect item = menu.actionGeometry(product);
    const int seam =
        item.top() + 4 +
        MenuStyle::MeasureMenuText(QFontMetrics(menuFont(true)), ProductCaption).height();
    const QImage hintBand = referenceBand(item.bottom() + 1 - seam, 0xABBAD8, 0xE4E8EF);
    EXPECT_EQ(hex(image.pixel(item.left() + 1, item.top())), hex(Groove));
    EXPECT_EQ(hex(image.pixel(item.right() - 3, seam)), hex(hintBand.pixel(0, 0)));

    EXPECT_GT(countPixels(image, menu.actionGeometry(heading), HeadingText), 0);
    EXPECT_EQ(countPixels(image, menu.actionGeometry(plain), HeadingText), 0);
    EXPECT_GT(countPixels(image, menu.actionGeometry(other), DisabledText), 0);
    EXPECT_EQ(countPixels(image, menu.actionGeometry(other), EnabledText), 0);
}

} // namespace
