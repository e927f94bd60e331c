#include "PictureButton.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QPixmap solid(const QColor& colour)
{
    QPixmap picture(21, 21);
    picture.fill(colour);
    return picture;
}

class PictureButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent = std::make_unique<QWidget>();
        parent->resize(100, 100);
        button = new PictureButton(solid(Qt::red), solid(Qt::green), QStringLiteral("Support"),
                                   parent.get());
        button->setGeometry(10, 10, 21, 21);
        parent->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    }

    // A mouse event with the left button held (or not), as the system sends it.
    void send(QEvent::Type type, const QPoint& at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, button->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }

    QColor shown() const { return button->grab().toImage().pixelColor(10, 10); }

    std::unique_ptr<QWidget> parent;
    PictureButton* button = nullptr;
};

} // namespace

TEST_F(PictureButtonTest, PressedPictureShowsOnlyWhileTheButtonIsHeldOverIt)
{
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    EXPECT_EQ(shown(), QColor(Qt::red));

    send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(shown(), QColor(Qt::green));
    send(QEvent::MouseMove, {50, 50}, Qt::LeftButton); // off the button, still held
    EXPECT_EQ(shown(), QColor(Qt::red));
    send(QEvent::MouseMove, {6, 6}, Qt::LeftButton); // back over it
    EXPECT_EQ(shown(), QColor(Qt::green));
    send(QEvent::MouseButtonRelease, {6, 6}, Qt::NoButton);
    EXPECT_EQ(shown(), QColor(Qt::red));
    EXPECT_EQ(clicks.count(), 1);

    // Released away from the button: no click.
    send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    send(QEvent::MouseMove, {50, 50}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {50, 50}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(shown(), QColor(Qt::red));
}

TEST_F(PictureButtonTest, IsAnAccessibleButtonNamedByItsTooltipWithAHandCursor)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Support"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Support"));
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(button->sizeHint(), QSize(21, 21));

    // Reached with Tab, not taken by a click, and clickable from the keyboard.
    EXPECT_EQ(button->focusPolicy(), Qt::TabFocus);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(PictureButtonTest, FocusMarkShowsOnlyWhileTheKeyboardGaveTheFocus)
{
    parent->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(parent.get()));
    const QImage unfocused = button->grab().toImage();

    // Focus given by the program, not the keyboard: no mark.
    button->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(button->grab().toImage(), unfocused);

    button->clearFocus();
    button->setFocus(Qt::TabFocusReason);
    const QImage focused = button->grab().toImage();
    EXPECT_NE(focused, unfocused);
    // A dotted frame inside the edge, over the picture.
    EXPECT_EQ(focused.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(focused.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_NE(focused.pixelColor(3, 2), QColor(Qt::red));

    button->clearFocus();
    EXPECT_EQ(button->grab().toImage(), unfocused);
}
