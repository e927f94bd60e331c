#include "LinkLabel.h"
#include "Opener.h"
#include "TempDir.h"
#include "TfrAbout.h"
#include "VersionBlock.h"
#include "WebActions.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

QString versionText(TfrAbout& dialog)
{
    return dialog.findChild<QLabel*>("lbVersion")->text();
}

// A file that carries the version block the build writes into the program.
std::filesystem::path fileWithVersionBlock(const TempDir& temp)
{
    VersionInfo info;
    info.translations = {{0x0419, 0x04E3}};
    info.tables = {{TranslationKey(0x0419, 0x04E3),
                    {{"ProductName", "Orvanta"},
                     {"FileVersion", "1.0.0.0"},
                     {"ProductVersion", "1.0.0.0"}}}};
    const QByteArray block = BuildVersionBlock(info);
    return temp.write("program", "leading bytes" + block.toStdString() + "trailing bytes");
}

class RecordingOpener
{
public:
    RecordingOpener()
    {
        SetOpener([this](const QString& target) { targets.append(target); });
    }
    ~RecordingOpener() { SetOpener({}); }
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    QStringList targets;
};

TEST(AboutDialog, versionLabelCompletesTheLayoutCaptionWithTheProductVersion)
{
    TempDir temp;
    TfrAbout withBlock(nullptr, QFile::decodeName(fileWithVersionBlock(temp).c_str()));
    EXPECT_EQ(versionText(withBlock), "Version: 1.0.0.0");

    // This test program has no version block: the caption keeps its blank.
    TfrAbout withoutBlock;
    EXPECT_EQ(versionText(withoutBlock), "Version: ");
    TfrAbout missingFile(nullptr, QFile::decodeName((temp / "absent").c_str()));
    EXPECT_EQ(versionText(missingFile), "Version: ");

    // The label widens to fit its text.
    QLabel* label = withBlock.findChild<QLabel*>("lbVersion");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
}

TEST(AboutDialog, programBinaryShowsItsBuiltInVersion)
{
    const QString program = QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta");
    if (!QFile::exists(program))
        GTEST_SKIP() << "the program is not built";
    TfrAbout dialog(nullptr, program);
    EXPECT_EQ(versionText(dialog), "Version: 1.0.0.0");
}

TEST(AboutDialog, layoutHoldsTheStarPictureAndBothAddresses)
{
    TfrAbout dialog;
    EXPECT_EQ(dialog.size(), QSize(256, 194));
    EXPECT_EQ(dialog.windowTitle(), "About");

    const QLabel* image = dialog.findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    const QImage star = image->pixmap().toImage();
    ASSERT_EQ(star.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(star.pixel(0, 0)), 0) << "the picture keeps its transparent corners";
    EXPECT_GT(qAlpha(star.pixel(24, 24)), 0);
    EXPECT_EQ(image->mapTo(&dialog, QPoint(0, 0)), QPoint(16, 20)) << "placed inside the frame";

    EXPECT_EQ(dialog.findChild<QLabel*>("TntLabel1")->text(), "www.orvanta.example");
    EXPECT_EQ(dialog.findChild<QLabel*>("TntLabel2")->text(), "support@orvanta.example");
    EXPECT_EQ(dialog.findChild<QLabel*>("TntLabel1")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(dialog.findChild<QLabel*>("lbWebPage")->font().bold());
}

TEST(AboutDialog, linkLabelsOpenTheWebPageAndTheSupportMail)
{
    RecordingOpener opener;
    TfrAbout dialog;
    dialog.show();

    QTest::mouseClick(dialog.findChild<LinkLabel*>("TntLabel1"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<LinkLabel*>("TntLabel2"), Qt::LeftButton);
    // A press that is dragged off the label before release is no click.
    auto* label = dialog.findChild<LinkLabel*>("TntLabel1");
    QTest::mousePress(label, Qt::LeftButton);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, -5));

    EXPECT_EQ(opener.targets, QStringList({"http://www.orvanta.example",
                                           "mailto:support@orvanta.example?subject=Orvanta support"}));

    // The main window's buttons and menu items reach the same targets.
    opener.targets.clear();
    OpenHomePage();
    OpenSupportMail();
    EXPECT_EQ(opener.targets, QStringList({"http://www.orvanta.example",
                                           "mailto:support@orvanta.example?subject=Orvanta support"}));
}

TEST(AboutDialog, everyShowingBuildsAFreshModalDialogAndDestroysIt)
{
    QWidget mainWindow;
    mainWindow.show();
    QList<QPointer<TfrAbout>> seen;
    QStringList versions;
    const auto closeTheModalDialog = [&] {
        auto* dialog = qobject_cast<TfrAbout*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.append(dialog);
        EXPECT_EQ(dialog->parentWidget(), &mainWindow);
        versions.append(versionText(*dialog));
        dialog->close();
    };

    QTimer::singleShot(0, &mainWindow, closeTheModalDialog);
    TfrAbout::showAbout(&mainWindow);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].isNull()) << "destroyed once closed";

    QTimer::singleShot(0, &mainWindow, closeTheModalDialog);
    TfrAbout::showAbout(&mainWindow);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[1].isNull());
    EXPECT_EQ(versions, QStringList({"Version: ", "Version: "}));
    EXPECT_TRUE(mainWindow.findChildren<TfrAbout*>().isEmpty());
}

} // namespace
