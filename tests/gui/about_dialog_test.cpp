#include "LinkLabel.h"
#include "Opener.h"
#include "TempDir.h"
#include "TfrAbout.h"
#include "VersionBlock.h"
#include "WebActions.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

const QString WebPage = QStringLiteral("http://www.orvanta.example");
const QString SupportMail =
    QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support");

QString versionText(const TfrAbout& dialog)
{
    return dialog.findChild<QLabel*>("lbVersion")->text();
}

TEST(AboutDialog, versionLabelCompletesTheLayoutCaptionWithTheProductVersion)
{
    TempDir temp;
    VersionInfo info;
    info.translations = {{0x0419, 0x04E3}};
    info.tables = {{TranslationKey(0x0419, 0x04E3), {{"ProductVersion", "1.0.0.0"}}}};
    const auto program =
        temp.write("program", "head" + BuildVersionBlock(info).toStdString() + "tail");
    EXPECT_EQ(versionText(TfrAbout(nullptr, QFile::decodeName(program.c_str()))),
              "Version: 1.0.0.0");

    // This test program carries no version block: the caption keeps its blank.
    EXPECT_EQ(versionText(TfrAbout()), "Version: ");
}

TEST(AboutDialog, programBinaryShowsItsBuiltInVersion)
{
    const QString program = QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta");
    if (!QFile::exists(program))
        GTEST_SKIP() << "the program is not built";
    EXPECT_EQ(versionText(TfrAbout(nullptr, program)), "Version: 1.0.0.0");
}

TEST(AboutDialog, starPictureSitsInsideTheFrameWithItsTransparency)
{
    TfrAbout dialog;
    const QLabel* image = dialog.findChild<QLabel*>("Image1");
    const QImage star = image->pixmap().toImage();
    ASSERT_EQ(star.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(star.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(star.pixel(24, 24)), 0);
    EXPECT_EQ(image->mapTo(&dialog, QPoint(0, 0)), QPoint(16, 20));
}

TEST(AboutDialog, linkLabelsOpenTheSameTargetsAsTheMainWindowActions)
{
    QStringList opened;
    SetOpener([&](const QString& target, const OpenFailed&) { opened.append(target); });
    TfrAbout dialog;
    dialog.show();
    auto* web = dialog.findChild<LinkLabel*>("TntLabel1");
    auto* support = dialog.findChild<LinkLabel*>("TntLabel2");
    EXPECT_EQ(web->text(), "www.orvanta.example");

    QTest::mouseClick(web, Qt::LeftButton);
    QTest::mouseClick(support, Qt::LeftButton);
    // Released away from the label: no click.
    QTest::mousePress(web, Qt::LeftButton);
    QTest::mouseRelease(web, Qt::LeftButton, {}, QPoint(-5, -5));
    OpenHomePage(nullptr);
    OpenSupportMail(nullptr);
    SetOpener({});

    EXPECT_EQ(opened, QStringList({WebPage, SupportMail, WebPage, SupportMail}));
}

TEST(AboutDialog, escapeLeavesItOpen)
{
    TfrAbout dialog;
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(dialog.findChild<LinkLabel*>("TntLabel1"), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(AboutDialog, everyShowingBuildsAFreshModalDialogAndDestroysIt)
{
    QWidget mainWindow;
    mainWindow.show();
    QList<QPointer<TfrAbout>> shown;
    const auto closeModalDialog = [&] {
        if (auto* dialog = qobject_cast<TfrAbout*>(QApplication::activeModalWidget())) {
            shown.append(dialog);
            EXPECT_EQ(dialog->parentWidget(), &mainWindow);
            dialog->close();
        }
    };

    for (int showing = 1; showing <= 2; ++showing) {
        QTimer::singleShot(0, &mainWindow, closeModalDialog);
        TfrAbout::showAbout(&mainWindow);
        ASSERT_EQ(shown.size(), showing);
        // Destroyed before the next one is built, so the two are distinct.
        EXPECT_TRUE(shown.last().isNull());
    }
}

} // namespace
