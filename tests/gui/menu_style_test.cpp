#include "FillGradient.h"
#include "MenuStyle.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QString ProductCaption = QStringLiteral("Quillmark Portable Edition");
const QString ProductHint = QStringLiteral(
    "Bookmarks manager to store your bookmarks on USB Flash Drive\r\n"
    " and synchronize it between any popular browsers and any computer.");
const QString Heading = QStringLiteral("Other our products");

constexpr QRgb ItemBackground = 0xFFFAFAFA;
constexpr QRgb SeparatorBackground = 0xFFDDE7EE;
constexpr QRgb Groove = 0xFFC5C5C5;
constexpr QRgb Frame = 0xFFC5C5C5;
constexpr QRgb HeadingText = 0xFF800000;
constexpr QRgb EnabledText = 0xFF00156E;
constexpr QRgb DisabledText = 0xFF808080;

QFont menuFont()
{
    QFont font = QApplication::font("QMenu");
    font.setPixelSize(11); // fixed, so image and screen measure alike
    return font;
}

QFont bold(QFont font)
{
    font.setBold(true);
    return font;
}

std::string hex(QRgb colour)
{
    return QColor::fromRgba(colour).name(QColor::HexArgb).toStdString();
}

int countPixels(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

// The colours FillGradient gives the rows of a band of the given height.
QImage referenceBand(int height, QColor start, QColor end)
{
    QImage band(1, height, QImage::Format_RGB32);
    QPainter painter(&band);
    FillGradient(painter, band.rect(), 256, start, end);
    return band;
}

QImage blankImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    return image;
}

QImage drawItem(QSize size, const QString& caption, const QString& hint, bool enabled,
                bool selected)
{
    QImage image = blankImage(size);
    QPainter painter(&image);
    painter.setFont(menuFont());
    MenuStyle::MenuItemDrawItem(painter, QRect(QPoint(0, 0), size), caption, hint, enabled,
                                selected);
    return image;
}

QImage drawSeparator(QSize size, const QString& hint)
{
    QImage image = blankImage(size);
    QPainter painter(&image);
    painter.setFont(menuFont());
    MenuStyle::SeparatorDrawItem(painter, QRect(QPoint(0, 0), size), hint);
    return image;
}

// ---------------------------------------------------------------------------
// Measuring

TEST(MenuMeasuring, textsMeasureWithoutMnemonicsAndBreakAtEveryLineEnd)
{
    const QFontMetrics metrics(menuFont());
    EXPECT_EQ(MenuStyle::MeasureMenuText(metrics, ""), QSize(0, 0));
    EXPECT_GT(MenuStyle::MeasureMenuText(metrics, "A&B").width(),
              MenuStyle::MeasureMenuText(metrics, "AB").width());

    const QSize oneLine = MenuStyle::MeasureMenuText(metrics, "wide first line");
    EXPECT_EQ(oneLine.height(), metrics.height());
    EXPECT_NEAR(oneLine.width(), metrics.horizontalAdvance("wide first line"), 1);

    // CR LF is one break and draws nothing of its own; a lone CR breaks too.
    const QSize crlf = MenuStyle::MeasureMenuText(metrics, "wide first line\r\n short");
    EXPECT_EQ(crlf, MenuStyle::MeasureMenuText(metrics, "wide first line\n short"));
    EXPECT_EQ(crlf, MenuStyle::MeasureMenuText(metrics, "wide first line\r short"));
    EXPECT_EQ(crlf.width(), oneLine.width());
    EXPECT_GE(crlf.height(), 2 * metrics.height());
    EXPECT_LT(crlf.height(), 3 * metrics.height());
}

TEST(MenuMeasuring, separatorsAreFourByTenOrTheirBoldHeadingWithMargins)
{
    EXPECT_EQ(MenuStyle::MeasureSeparator(menuFont(), ""), QSize(10, 4));

    const QSize heading = MenuStyle::MeasureMenuText(QFontMetrics(bold(menuFont())), Heading);
    EXPECT_GT(heading.width(), QFontMetrics(menuFont()).horizontalAdvance(Heading))
        << "the heading is measured in bold";
    EXPECT_EQ(MenuStyle::MeasureSeparator(menuFont(), Heading), heading + QSize(14, 8));
}

TEST(MenuMeasuring, itemsAreTheWiderOfCaptionAndHintByBothHeightsPlusEight)
{
    const QFontMetrics boldMetrics(bold(menuFont()));
    const QFontMetrics regularMetrics(menuFont());

    const QSize about = MenuStyle::MenuItemMeasureItem(menuFont(), "About...", "");
    EXPECT_EQ(about.height(), boldMetrics.height() + 8);
    EXPECT_NEAR(about.width(), boldMetrics.horizontalAdvance("About...") + 8, 1);

    const QSize product = MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint);
    const QSize hint = MenuStyle::MeasureMenuText(regularMetrics, ProductHint);
    EXPECT_GE(hint.height(), 2 * regularMetrics.height()) << "the hint takes two lines";
    EXPECT_EQ(product.height(), boldMetrics.height() + hint.height() + 8);
    const int longestLine = regularMetrics.horizontalAdvance(
        " and synchronize it between any popular browsers and any computer.");
    EXPECT_NEAR(product.width(), longestLine + 8, 1) << "the hint is wider than the caption";
}

// ---------------------------------------------------------------------------
// Painting

TEST(MenuPainting, highlightedProductItemHasTwoBandsWithASharpSeamInARoundedFrame)
{
    const QSize size = MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint) +
                       QSize(30, 0);
    const QImage image = drawItem(size, ProductCaption, ProductHint, true, true);
    const int captionHeight =
        MenuStyle::MeasureMenuText(QFontMetrics(bold(menuFont()), &image), ProductCaption).height();
    const int seam = captionHeight + 4;
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;

    // Corners are cut; the frame runs along every edge between them.
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom),
                                QPoint(right, bottom)})
        EXPECT_EQ(hex(image.pixel(corner)), hex(ItemBackground)) << corner.x() << "," << corner.y();
    for (const QPoint edge : {QPoint(1, 0), QPoint(right - 1, 0), QPoint(0, 1), QPoint(0, seam),
                              QPoint(right, bottom - 1), QPoint(5, bottom)})
        EXPECT_EQ(hex(image.pixel(edge)), hex(Frame)) << edge.x() << "," << edge.y();

    // Inside the frame, right of the text, every row has its band's stripe.
    const QImage captionBand =
        referenceBand(seam, QColor(0xE4, 0xE8, 0xEF), QColor(0xB8, 0xC5, 0xDE));
    const QImage hintBand = referenceBand(size.height() - seam, QColor(0xAB, 0xBA, 0xD8),
                                          QColor(0xE4, 0xE8, 0xEF));
    const int x = right - 3;
    for (int y = 1; y < bottom; ++y) {
        const QRgb expected = y < seam ? captionBand.pixel(0, y) : hintBand.pixel(0, y - seam);
        EXPECT_EQ(hex(image.pixel(x, y)), hex(expected)) << "row " << y;
    }
    // The seam: the caption band ends dark, the hint band starts darker still.
    EXPECT_NE(captionBand.pixel(0, seam - 1), hintBand.pixel(0, 0));
    EXPECT_EQ(hex(image.pixel(x, seam)), hex(hintBand.pixel(0, 0)));

    // Caption and hint text in navy, the hint below the seam.
    EXPECT_GT(countPixels(image, QRect(4, 2, size.width() - 8, captionHeight), EnabledText), 0);
    EXPECT_GT(countPixels(image, QRect(4, seam, size.width() - 8, size.height() - seam - 4),
                          EnabledText),
              0);
}

TEST(MenuPainting, plainItemsFillWithBackgroundAndHighlightWithOneBand)
{
    const QSize size(80, 24);
    const QImage plain = drawItem(size, "", "", true, false);
    EXPECT_EQ(countPixels(plain, plain.rect(), ItemBackground), size.width() * size.height());

    const QImage selected = drawItem(size, "", "", true, true);
    const QImage band =
        referenceBand(size.height(), QColor(0xE4, 0xE8, 0xEF), QColor(0xB8, 0xC5, 0xDE));
    for (int y = 1; y < size.height() - 1; ++y)
        EXPECT_EQ(hex(selected.pixel(40, y)), hex(band.pixel(0, y))) << "row " << y;
}

TEST(MenuPainting, textColourFollowsTheEnabledStateOnly)
{
    const QSize size = MenuStyle::MenuItemMeasureItem(menuFont(), "Stop", "Stop verifying links");
    for (const bool selected : {false, true}) {
        const QImage disabled = drawItem(size, "Stop", "Stop verifying links", false, selected);
        EXPECT_GT(countPixels(disabled, disabled.rect(), DisabledText), 0);
        EXPECT_EQ(countPixels(disabled, disabled.rect(), EnabledText), 0);

        const QImage enabled = drawItem(size, "Stop", "Stop verifying links", true, selected);
        EXPECT_GT(countPixels(enabled, enabled.rect(), EnabledText), 0);
        EXPECT_EQ(countPixels(enabled, enabled.rect(), DisabledText), 0);
    }
}

TEST(MenuPainting, ampersandIsDrawnAsItself)
{
    // The rightmost column with ink: an ampersand taken as a mnemonic marker
    // would at most underline the B, never widen the text.
    const auto inkRight = [](const QImage& image) {
        int right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != ItemBackground)
                    right = std::max(right, x);
        return right;
    };
    const QSize size(60, 30);
    EXPECT_GT(inkRight(drawItem(size, "A&B", "", true, false)),
              inkRight(drawItem(size, "AB", "", true, false)) + 3);
}

TEST(MenuPainting, separatorsAreEtchedBarsAndTheHeadingIsDarkRedOnBlueGrey)
{
    const QImage bar = drawSeparator(QSize(50, 4), "");
    for (int x = 0; x < 50; ++x) {
        EXPECT_EQ(hex(bar.pixel(x, 0)), hex(SeparatorBackground));
        EXPECT_EQ(hex(bar.pixel(x, 1)), hex(SeparatorBackground));
        EXPECT_EQ(hex(bar.pixel(x, 2)), hex(Groove));
        EXPECT_EQ(hex(bar.pixel(x, 3)), hex(ItemBackground));
    }

    const QSize size = MenuStyle::MeasureSeparator(menuFont(), Heading) + QSize(20, 0);
    const QImage heading = drawSeparator(size, Heading);
    const int bottom = size.height() - 1;
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, 1)), hex(SeparatorBackground));
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, bottom - 1)), hex(Groove));
    EXPECT_EQ(hex(heading.pixel(size.width() - 2, bottom)), hex(ItemBackground));
    EXPECT_GT(countPixels(heading, QRect(4, 0, size.width() - 8, size.height() - 2), HeadingText),
              0);
    EXPECT_EQ(countPixels(heading, QRect(0, 0, 4, size.height()), HeadingText), 0)
        << "the heading is inset by 4 pixels";
}

// ---------------------------------------------------------------------------
// The style on a real menu

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

    MenuStyle style;
    QMenu menu;
    QAction* about = nullptr;
    QAction* heading = nullptr;
    QAction* product = nullptr;
    QAction* plain = nullptr;
    QAction* other = nullptr;
    QAction* last = nullptr;
};

TEST_F(StyledHelpMenu, eachItemIsMeasuredWithItsOwnHint)
{
    MenuStyle::SetHint(*product, ProductHint);
    menu.popup(QPoint(10, 10));

    EXPECT_EQ(menu.actionGeometry(about).height(),
              MenuStyle::MenuItemMeasureItem(menuFont(), "About...", "").height());
    EXPECT_EQ(menu.actionGeometry(heading).height(),
              MenuStyle::MeasureSeparator(menuFont(), Heading).height());
    EXPECT_EQ(menu.actionGeometry(product).height(),
              MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint).height());
    EXPECT_EQ(menu.actionGeometry(plain).height(), 4) << "a later separator is not the heading";
    EXPECT_EQ(menu.actionGeometry(last).height(), 4) << "a trailing separator stays";

    // One uniform width, as wide as the widest item, inside a one-pixel frame.
    const int width = MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint).width();
    EXPECT_EQ(menu.actionGeometry(about), QRect(1, 1, width, menu.actionGeometry(about).height()));
    EXPECT_EQ(menu.actionGeometry(last).width(), width);
    EXPECT_EQ(menu.sizeHint().width(), width + 2);
}

TEST_F(StyledHelpMenu, changingAHintMeasuresTheItemAgain)
{
    menu.popup(QPoint(10, 10));
    const int withoutHint = menu.actionGeometry(product).height();
    menu.hide();

    MenuStyle::SetHint(*product, ProductHint);
    menu.popup(QPoint(10, 10));
    EXPECT_GT(menu.actionGeometry(product).height(), withoutHint);
    EXPECT_EQ(menu.actionGeometry(product).height(),
              MenuStyle::MenuItemMeasureItem(menuFont(), ProductCaption, ProductHint).height());
}

TEST_F(StyledHelpMenu, paintsTheHighlightedItemAndTheHeadingInPlace)
{
    MenuStyle::SetHint(*product, ProductHint);
    other->setEnabled(false);
    menu.popup(QPoint(10, 10));
    menu.setActiveAction(product);
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QRect item = menu.actionGeometry(product);
    const int seam = item.top() +
                     MenuStyle::MeasureMenuText(QFontMetrics(bold(menuFont())), ProductCaption)
                         .height() +
                     4;
    EXPECT_EQ(hex(image.pixel(item.left() + 1, item.top())), hex(Frame));
    const QImage captionBand =
        referenceBand(seam - item.top(), QColor(0xE4, 0xE8, 0xEF), QColor(0xB8, 0xC5, 0xDE));
    const QImage hintBand = referenceBand(item.bottom() + 1 - seam, QColor(0xAB, 0xBA, 0xD8),
                                          QColor(0xE4, 0xE8, 0xEF));
    EXPECT_EQ(hex(image.pixel(item.right() - 3, seam - 1)),
              hex(captionBand.pixel(0, captionBand.height() - 1)));
    EXPECT_EQ(hex(image.pixel(item.right() - 3, seam)), hex(hintBand.pixel(0, 0)));

    const QRect headingRect = menu.actionGeometry(heading);
    EXPECT_GT(countPixels(image, headingRect, HeadingText), 0);
    EXPECT_EQ(hex(image.pixel(headingRect.right() - 1, headingRect.top() + 1)),
              hex(SeparatorBackground));
    const QRect plainRect = menu.actionGeometry(plain);
    EXPECT_EQ(countPixels(image, plainRect, HeadingText), 0);
    EXPECT_EQ(hex(image.pixel(plainRect.left() + 3, plainRect.bottom() - 1)), hex(Groove));

    EXPECT_GT(countPixels(image, menu.actionGeometry(other), DisabledText), 0);
    EXPECT_EQ(countPixels(image, menu.actionGeometry(other), EnabledText), 0);
    EXPECT_EQ(countPixels(image, menu.actionGeometry(about), DisabledText), 0);
}

} // namespace
