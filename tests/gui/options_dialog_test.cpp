#include "MessageBoxes.h"
#include "SystemBeep.h"
#include "TempDir.h"
#include "TfrOptions.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {

QRgb pixelInside(QLineEdit& edit)
{
    // Right of any text, clear of the frame.
    return edit.grab().toImage().pixel(edit.width() - 6, edit.height() / 2) | 0xFF000000u;
}

class OptionsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedXdg_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(temp_.path().string()));
        temp_.mkdir("Orvanta");
        SetBeeper([this] { ++beeps; });
        ResetMessageBoxes();
        mainWindow_.setGeometry(100, 80, 647, 563);
        mainWindow_.show();
    }

    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", savedXdg_);
        SetBeeper({});
        ResetMessageBoxes();
        QLocale::setDefault(QLocale::c());
    }

    std::filesystem::path configPath() const { return temp_ / "Orvanta/Config.ini"; }
    void writeConfig(const std::string& bytes) const { temp_.write("Orvanta/Config.ini", bytes); }

    std::unique_ptr<TfrOptions> makeDialog()
    {
        return std::make_unique<TfrOptions>(&mainWindow_);
    }

    // The dialog shown as the user meets it, with the proxy switched on so
    // the port field takes input, emptied and focused.
    std::unique_ptr<TfrOptions> dialogWithEmptyPort()
    {
        auto dialog = makeDialog();
        dialog->show();
        QTest::mouseClick(checkBox(*dialog), Qt::LeftButton);
        port(*dialog)->clear();
        port(*dialog)->setFocus();
        return dialog;
    }

    static QCheckBox* checkBox(TfrOptions& d) { return d.findChild<QCheckBox*>("chbUseProxy"); }
    static QLineEdit* address(TfrOptions& d) { return d.findChild<QLineEdit*>("edAdressProxy"); }
    static QLineEdit* port(TfrOptions& d) { return d.findChild<QLineEdit*>("edPort"); }

    int beeps = 0;

private:
    TempDir temp_;
    QByteArray savedXdg_;
    QWidget mainWindow_;
};

// ---------------------------------------------------------------------------
// Loading

TEST_F(OptionsDialog, withoutConfigFileStartsWithDefaultsAndDisabledTintedEdits)
{
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->size(), QSize(297, 139));
    EXPECT_EQ(dialog->windowTitle(), "Options");
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(address(*dialog)->text(), "");
    EXPECT_EQ(port(*dialog)->text(), "80");
    EXPECT_FALSE(checkBox(*dialog)->isChecked());
    for (QLineEdit* edit : {address(*dialog), port(*dialog)}) {
        EXPECT_FALSE(edit->isEnabled()) << edit->objectName().toStdString();
        EXPECT_EQ(pixelInside(*edit), DisabledEditColor) << edit->objectName().toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(configPath())) << "loading must not create the file";
}

TEST_F(OptionsDialog, nonZeroUseProxyValuesStartCheckedWithWhiteEdits)
{
    for (const char* value : {"1", "2", "-1", "0x1", "$1", "X1", "+7", "0XfF", "-2147483648"}) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nUseProxy=") + value + "\n");
        auto dialog = makeDialog();
        EXPECT_TRUE(checkBox(*dialog)->isChecked());
        for (QLineEdit* edit : {address(*dialog), port(*dialog)}) {
            EXPECT_TRUE(edit->isEnabled());
            EXPECT_EQ(pixelInside(*edit), EnabledEditColor);
        }
    }
}

TEST_F(OptionsDialog, zeroEmptyMalformedOrOutOfRangeUseProxyValuesStartUnchecked)
{
    for (const char* value :
         {"yes", "", "0", "-0", "$0", "4294967296", "2147483648", "$100000000", "1x", "0x", "$",
          "-", "1.0", "1 2", "\xEF\xBC\x91"}) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nUseProxy=") + value + "\n");
        auto dialog = makeDialog();
        EXPECT_FALSE(checkBox(*dialog)->isChecked());
        EXPECT_FALSE(port(*dialog)->isEnabled());
        EXPECT_EQ(pixelInside(*port(*dialog)), DisabledEditColor);
    }
}

TEST_F(OptionsDialog, storedTextsAreLoadedAndAnEmptyPortStaysEmpty)
{
    writeConfig("[options]\nproxy=proxy.local\nPort=\n");
    auto dialog = makeDialog();
    EXPECT_EQ(address(*dialog)->text(), "proxy.local");
    EXPECT_EQ(port(*dialog)->text(), "") << "a present empty key is not the default";

    const ProxySettings settings = dialog->proxySettings();
    EXPECT_FALSE(settings.useProxy);
    EXPECT_EQ(settings.address, "proxy.local");
    EXPECT_EQ(settings.port, "");
}

// ---------------------------------------------------------------------------
// The check box and saving

TEST_F(OptionsDialog, closingUntouchedOnAFreshSystemWritesAllThreeKeysInOrder)
{
    auto dialog = makeDialog();
    dialog->show();
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ReadFileBytes(configPath()), "[Options]\nProxy=\nPort=80\nUseProxy=0\n");
    EXPECT_EQ(MessageBoxCount(), 0);
}

TEST_F(OptionsDialog, togglingKeepsTextsAndSavingKeepsOtherSectionsByteForByte)
{
    writeConfig("[Window]\r\nLeft = 10 ; note\r\n\r\n[Options]\r\nPort=8080\r\nExtra=x\r\n");
    auto dialog = makeDialog();
    dialog->show();

    QTest::mouseClick(checkBox(*dialog), Qt::LeftButton);
    ASSERT_TRUE(address(*dialog)->isEnabled());
    QTest::keyClicks(address(*dialog), "proxy.local");
    ProxySettings settings = dialog->proxySettings();
    EXPECT_TRUE(settings.useProxy);
    EXPECT_EQ(settings.address, "proxy.local");
    EXPECT_EQ(settings.port, "8080");

    QTest::mouseClick(checkBox(*dialog), Qt::LeftButton);
    EXPECT_FALSE(address(*dialog)->isEnabled());
    EXPECT_EQ(pixelInside(*address(*dialog)), DisabledEditColor);
    EXPECT_EQ(address(*dialog)->text(), "proxy.local") << "unchecking keeps the texts";

    ASSERT_TRUE(dialog->close());
    EXPECT_EQ(ReadFileBytes(configPath()), "[Window]\r\nLeft = 10 ; note\r\n\r\n"
                                           "[Options]\r\nPort=8080\r\nExtra=x\r\n"
                                           "Proxy=proxy.local\r\nUseProxy=0\r\n");

    // Shown again, the controls still hold what was saved.
    dialog->show();
    EXPECT_EQ(address(*dialog)->text(), "proxy.local");
    QTest::mouseClick(checkBox(*dialog), Qt::LeftButton);
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_NE(ReadFileBytes(configPath()).find("UseProxy=1\r\n"), std::string::npos)
        << "every way out of the dialog saves";
}

TEST_F(OptionsDialog, readOnlyConfigFileCancelsTheCloseWithAnErrorEveryTime)
{
    const std::string before = "[Options]\nProxy=old\n";
    writeConfig(before);
    ASSERT_EQ(chmod(configPath().c_str(), 0444), 0);
    auto dialog = makeDialog();
    dialog->show();
    QTest::mouseClick(checkBox(*dialog), Qt::LeftButton);

    for (int attempt = 1; attempt <= 2; ++attempt) {
        SetNextMessageBoxAnswer(QMessageBox::Ok);
        EXPECT_FALSE(dialog->close());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(MessageBoxCount(), attempt);
    }
    const ShownMessageBox box = LastMessageBox();
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.caption, "Orvanta");
    EXPECT_EQ(box.text.toStdString(),
              "Unable to write to " + configPath().string() + ".");
    EXPECT_EQ(ReadFileBytes(configPath()), before);

    // Once the cause is gone, the close goes through.
    ASSERT_EQ(chmod(configPath().c_str(), 0644), 0);
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ReadFileBytes(configPath()), "[Options]\nProxy=old\nPort=80\nUseProxy=1\n");
}

TEST_F(OptionsDialog, configThatCannotBeReadIsNotReplacedOnClose)
{
    ASSERT_EQ(mkfifo(configPath().c_str(), 0644), 0);
    auto dialog = makeDialog(); // reading never blocks on the FIFO
    EXPECT_EQ(port(*dialog)->text(), "80");
    dialog->show();
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(LastMessageBox().icon, QMessageBox::Critical);
    EXPECT_TRUE(std::filesystem::is_fifo(configPath()));
}

TEST_F(OptionsDialog, showModalCentresOverTheMainWindowAndSavesWhenClosed)
{
    auto dialog = makeDialog();
    QRect shownAt;
    bool wasModal = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        wasModal = QApplication::activeModalWidget() == dialog.get();
        shownAt = dialog->geometry();
        dialog->close();
    });
    dialog->showModal();
    EXPECT_TRUE(wasModal);
    const QPoint offset = shownAt.center() - dialog->parentWidget()->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    EXPECT_TRUE(std::filesystem::exists(configPath()));
}

// ---------------------------------------------------------------------------
// Keys

TEST_F(OptionsDialog, portFieldTakesDigitsAndSwallowsOtherCharactersWithABeep)
{
    auto dialog = dialogWithEmptyPort();
    QLineEdit* edit = port(*dialog);

    QTest::keyClicks(edit, "8080");
    EXPECT_EQ(edit->text(), "8080");
    EXPECT_EQ(beeps, 0);

    QTest::keyClicks(edit, "a Z+");
    EXPECT_EQ(edit->text(), "8080");
    EXPECT_EQ(beeps, 4);

    // Editing keys keep working.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_7);
    EXPECT_EQ(edit->text(), "078");
    EXPECT_EQ(beeps, 4);
}

TEST_F(OptionsDialog, portFieldAllowsOneDecimalSeparatorAndOneLeadingMinus)
{
    auto dialog = dialogWithEmptyPort();
    QLineEdit* edit = port(*dialog);

    QTest::keyClicks(edit, "1.5.");
    EXPECT_EQ(edit->text(), "1.5");
    EXPECT_EQ(beeps, 1);
    QTest::keyClicks(edit, ",");
    EXPECT_EQ(edit->text(), "1.5") << "a comma is a separator too";
    EXPECT_EQ(beeps, 2);

    QTest::keyClicks(edit, "-");
    EXPECT_EQ(beeps, 3) << "minus away from the start";
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, "-");
    EXPECT_EQ(edit->text(), "-1.5");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, "-");
    EXPECT_EQ(edit->text(), "-1.5") << "only one minus";
    EXPECT_EQ(beeps, 4);
}

TEST_F(OptionsDialog, portFieldTypesTheLocaleSeparatorForAFullStop)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto dialog = dialogWithEmptyPort();
    QLineEdit* edit = port(*dialog);

    QTest::keyClicks(edit, "8.");
    EXPECT_EQ(edit->text(), "8,");
    QTest::keyClicks(edit, ".,");
    EXPECT_EQ(edit->text(), "8,");
    EXPECT_EQ(beeps, 2);
}

TEST_F(OptionsDialog, clipboardShortcutsTypedInThePortFieldAreSwallowedWithABeep)
{
    auto dialog = dialogWithEmptyPort();
    QLineEdit* edit = port(*dialog);
    QTest::keyClicks(edit, "81");
    QGuiApplication::clipboard()->setText("999");

    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "81");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "81");
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "999");
    EXPECT_EQ(beeps, 3);
}

TEST_F(OptionsDialog, enterAndEscapeNeitherCloseTheDialogNorBeep)
{
    auto dialog = dialogWithEmptyPort();
    QTest::keyClicks(port(*dialog), "3128");
    QTest::keyClicks(address(*dialog), "host");

    QTest::keyClick(port(*dialog), Qt::Key_Return);
    QTest::keyClick(port(*dialog), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(address(*dialog), Qt::Key_Return);
    QTest::keyClick(checkBox(*dialog), Qt::Key_Return);
    QTest::keyClick(address(*dialog), Qt::Key_Escape);
    QTest::keyClick(checkBox(*dialog), Qt::Key_Escape);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(port(*dialog)->text(), "3128");
    EXPECT_EQ(address(*dialog)->text(), "host");
    EXPECT_TRUE(checkBox(*dialog)->isChecked());
    EXPECT_FALSE(std::filesystem::exists(configPath())) << "nothing closed, nothing saved";
}

} // namespace
