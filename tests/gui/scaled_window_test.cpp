#include "MainWindowFixture.h"

#include "AppFonts.h"
#include "BookmarkView.h"
#include "PictureButton.h"
#include "ScreenFit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QScreen>
#include <QTest>

namespace {

// The scale has to be in place before main() makes the application.
const bool scaledScreen = qputenv("QT_SCALE_FACTOR", "2");

// 8 pt on a 96-dpi screen at a scale of 1.
constexpr int unscaledPixelSize = 11;

} // namespace

using ScaledWindowTest = MainWindowFixture;

TEST_F(ScaledWindowTest, HeaderTextPicturesAndWindowFollowTheScale)
{
    ASSERT_TRUE(scaledScreen);
    RegisterApplicationFonts();
    TForm1& window = makeForm();
    ASSERT_DOUBLE_EQ(window.devicePixelRatioF(), 2.0);

    const QFontInfo header(window.VT->header()->font());
    EXPECT_NE(header.family().toStdString(), "MS Sans Serif");
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(header.family(), header.styleName()))
        << header.family().toStdString();
    EXPECT_EQ(header.pixelSize() * window.devicePixelRatioF(), 2 * unscaledPixelSize);

    // Pictures carry the screen's pixels at their own logical size.
    EXPECT_DOUBLE_EQ(window.ImageList1.image(0).devicePixelRatio(), 2.0);
    EXPECT_EQ(window.ImageList1.image(0).size(), QSize(32, 32));
    EXPECT_EQ(window.btVerify->sizeHint(), QSize(29, 29));

    // The whole window, title bar and status bar included, is on the screen.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << available.width() << "x" << available.height();
}

TEST(ScreenFitTest, WindowIsShrunkAndMovedIntoTheAvailableArea)
{
    const QRect screen(0, 0, 960, 540);
    // Fits: untouched.
    EXPECT_EQ(FitToArea({204, 110, 647, 400}, screen), QRect(204, 110, 647, 400));
    // Too tall: as tall as the area, moved up into it.
    EXPECT_EQ(FitToArea({204, 110, 647, 563}, screen), QRect(204, 0, 647, 540));
    // Overhanging on the right only: moved left, size kept.
    EXPECT_EQ(FitToArea({500, 10, 647, 400}, screen), QRect(313, 10, 647, 400));
    // An area that does not start at the origin, smaller both ways.
    EXPECT_EQ(FitToArea({0, 0, 647, 563}, {100, 50, 400, 300}), QRect(100, 50, 400, 300));
    // No area known: untouched.
    EXPECT_EQ(FitToArea({204, 110, 647, 563}, {}), QRect(204, 110, 647, 563));
}

TEST(ScreenFitTest, WindowIsFittedWithItsFrame)
{
    const QRect design(204, 110, 647, 563);
    const QMargins frame(4, 30, 4, 4);
    // 1920 x 1080 at a scale of 2: as tall as the area with the frame.
    EXPECT_EQ(FitToArea(design, {0, 0, 960, 540}, frame), QRect(204, 0, 647, 506));
    // 1024 x 768 at 1.5, below a 24-pixel panel: moved left and up as well.
    EXPECT_EQ(FitToArea(design, {0, 24, 683, 488}, frame), QRect(28, 24, 647, 454));
    // Room enough for the frame: untouched.
    EXPECT_EQ(FitToArea(design, {0, 0, 1920, 1080}, frame), design);
}
