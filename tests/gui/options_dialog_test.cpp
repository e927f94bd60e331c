#include "MessageBoxes.h"
#include "RegularFile.h"
#include "StandInSystemctl.h"
#include "SystemBeep.h"
#include "TempDir.h"
#include "TfrOptions.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

// The colour an edit really shows, right of any text and clear of the frame.
QRgb shownBase(QLineEdit* edit)
{
    return edit->grab().toImage().pixel(edit->width() - 6, edit->height() / 2) | 0xFF000000u;
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

    // The dialog as created at start-up; with `typing`, shown with the proxy
    // switched on and the port field emptied, ready for keys.
    std::unique_ptr<TfrOptions> makeDialog(bool typing = false)
    {
        auto dialog = std::make_unique<TfrOptions>(&mainWindow_);
        box = dialog->findChild<QCheckBox*>("chbUseProxy");
        address = dialog->findChild<QLineEdit*>("edAdressProxy");
        port = dialog->findChild<QLineEdit*>("edPort");
        if (typing) {
            dialog->show();
            QTest::mouseClick(box, Qt::LeftButton);
            port->clear();
        }
        return dialog;
    }

    int beeps = 0;
    QCheckBox* box = nullptr;
    QLineEdit* address = nullptr;
    QLineEdit* port = nullptr;

private:
    TempDir temp_;
    QByteArray savedXdg_;
    QWidget mainWindow_;
};

TEST_F(OptionsDialog, withoutConfigFileStartsWithDefaultsAndDisabledTintedEdits)
{
    auto dialog = makeDialog();
    // The proxy group's layout, and five rows under it, as wide as the widest.
    EXPECT_EQ(dialog->height(), 139 + 5 * 26);
    EXPECT_GE(dialog->width(), 297);
    EXPECT_FALSE(dialog->archiveLookup()) << "the archive is asked only when the person says so";
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(address->text(), "");
    EXPECT_EQ(port->text(), "80");
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(dialog->useTrash()) << "deleted entries go to the Trash unless asked otherwise";
    for (QLineEdit* edit : {address, port}) {
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_EQ(shownBase(edit), DisabledEditColor);
    }
    EXPECT_FALSE(std::filesystem::exists(configPath())) << "loading must not create the file";
}

TEST_F(OptionsDialog, useProxyIsOnForEveryNonZero32BitIntegerOnly)
{
    const std::pair<const char*, bool> cases[] = {
        {"1", true},    {"2", true},   {"-1", true},          {"0x1", true},
        {"$1", true},   {"X1", true},  {"+7", true},          {"0XfF", true},
        {"yes", false}, {"", false},   {"0", false},          {"4294967296", false},
        {"-0", false},  {"$0", false}, {"2147483648", false}, {"$100000000", false},
        {"1x", false},  {"0x", false}, {"-", false},          {"1 2", false}};
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nUseProxy=") + value + "\n");
        auto dialog = makeDialog();
        EXPECT_EQ(box->isChecked(), on);
        for (QLineEdit* edit : {address, port}) {
            EXPECT_EQ(edit->isEnabled(), on);
            EXPECT_EQ(shownBase(edit), on ? EnabledEditColor : DisabledEditColor);
        }
    }
}

TEST_F(OptionsDialog, storedTextsAreLoadedAndAnEmptyPortStaysEmpty)
{
    writeConfig("[options]\nproxy=proxy.local\nPort=\n");
    auto dialog = makeDialog();
    const ProxySettings settings = dialog->proxySettings();
    EXPECT_FALSE(settings.useProxy);
    EXPECT_EQ(settings.address, "proxy.local");
    EXPECT_EQ(settings.port, "") << "a present empty key is not the default";
}

TEST_F(OptionsDialog, closingUntouchedOnAFreshSystemWritesAllThreeKeysInOrder)
{
    auto dialog = makeDialog();
    dialog->show();
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ReadFileBytes(configPath()),
              "[Options]\nProxy=\nPort=80\nUseProxy=0\nLinksAtOnce=128\nStrictVerdicts=0\n"
              "UseTrash=1\n");
    EXPECT_EQ(MessageBoxCount(), 0);
}

TEST_F(OptionsDialog, uncheckingKeepsTextsAndEveryCloseSavesThemBesideOtherSections)
{
    writeConfig("[Window]\r\nLeft = 10 ; note\r\n\r\n[Options]\r\nPort=8080\r\nExtra=x\r\n");
    auto dialog = makeDialog();
    dialog->show();
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(address, "proxy.local");
    EXPECT_TRUE(dialog->proxySettings().useProxy);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(shownBase(address), DisabledEditColor);
    EXPECT_EQ(address->text(), "proxy.local");

    ASSERT_TRUE(dialog->close());
    EXPECT_EQ(ReadFileBytes(configPath()), "[Window]\r\nLeft = 10 ; note\r\n\r\n"
                                           "[Options]\r\nPort=8080\r\nExtra=x\r\n"
                                           "Proxy=proxy.local\r\nUseProxy=0\r\nLinksAtOnce=128\r\n"
                                           "StrictVerdicts=0\r\nUseTrash=1\r\n");

    dialog->show();
    QTest::mouseClick(box, Qt::LeftButton);
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_NE(ReadFileBytes(configPath()).find("UseProxy=1\r\n"), std::string::npos);
}

TEST_F(OptionsDialog, rowsUnderTheProxyGroupShowTheStoredValuesAndEveryCloseSavesThem)
{
    writeConfig("[Options]\nLinksAtOnce=500\nStrictVerdicts=1\nUseTrash=0\n");
    auto dialog = makeDialog();
    auto* label = dialog->findChild<QLabel*>("lbLinksAtOnce");
    auto* spin = dialog->findChild<QSpinBox*>("seLinksAtOnce");
    auto* strict = dialog->findChild<QCheckBox*>("chbStrictVerdicts");
    auto* trash = dialog->findChild<QCheckBox*>("chbUseTrash");
    ASSERT_TRUE(label && spin && strict && trash);
    EXPECT_EQ(label->text(), "Links checked at once:");
    EXPECT_EQ(label->buddy(), spin);
    EXPECT_GE(spin->y(), 129) << "under the proxy group";
    EXPECT_EQ(spin->minimum(), 1);
    EXPECT_EQ(spin->maximum(), 256);
    EXPECT_EQ(spin->value(), 256) << "a stored value out of range is clamped";
    EXPECT_EQ(dialog->linksAtOnce(), 256);
    EXPECT_EQ(strict->accessibleName(), "Judge links strictly (alive only on 200 or 302)");
    EXPECT_TRUE(dialog->strictVerdicts());
    EXPECT_EQ(trash->accessibleName(), "Move deleted entries to the Trash");
    EXPECT_FALSE(dialog->useTrash());
    // Each box a row of its own under the spin box, in the strict box's
    // style, its text whole inside the dialog.
    EXPECT_GT(strict->y(), spin->geometry().bottom());
    EXPECT_EQ(trash->geometry(), strict->geometry().translated(0, 26));
    EXPECT_EQ(trash->cursor().shape(), strict->cursor().shape());
    for (QCheckBox* check : {strict, trash}) {
        EXPECT_LE(check->geometry().bottom(), dialog->height());
        EXPECT_LE(check->x() + check->sizeHint().width(), dialog->width());
    }
    QWidget* next = spin->nextInFocusChain();
    while (next->parent() == spin) // the spin box's own edit
        next = next->nextInFocusChain();
    EXPECT_EQ(next, strict) << "Tab goes from the spin box to the check box";
    EXPECT_EQ(strict->nextInFocusChain(), trash);

    dialog->show();
    spin->setValue(16);
    strict->click();
    trash->click();
    EXPECT_EQ(dialog->linksAtOnce(), 16);
    EXPECT_TRUE(dialog->useTrash());
    ASSERT_TRUE(dialog->close());
    EXPECT_EQ(ReadFileBytes(configPath()),
              "[Options]\nLinksAtOnce=16\nStrictVerdicts=0\nUseTrash=1\n"
              "Proxy=\nPort=80\nUseProxy=0\n");
    dialog->show();
    trash->click();
    ASSERT_TRUE(dialog->close());
    EXPECT_NE(ReadFileBytes(configPath()).find("UseTrash=0\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(configPath()).find("Archive"), std::string::npos)
        << "written only once the box is turned";

    // The archive's box: a row of its own under the Trash's, its text whole.
    auto* archive = dialog->findChild<QCheckBox*>("chbArchiveLookup");
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->accessibleName(),
              "Look for archived copies of dead links (asks the Internet Archive)");
    EXPECT_EQ(archive->geometry().topLeft(), trash->geometry().topLeft() + QPoint(0, 26));
    EXPECT_LE(archive->x() + archive->sizeHint().width(), dialog->width());
    EXPECT_LE(archive->geometry().bottom(), dialog->height());
    EXPECT_EQ(trash->nextInFocusChain(), archive);
    EXPECT_FALSE(archive->isChecked());
    dialog->show();
    archive->click();
    EXPECT_TRUE(dialog->archiveLookup());
    ASSERT_TRUE(dialog->close());
    EXPECT_NE(ReadFileBytes(configPath()).find("ArchiveLookup=1\n"), std::string::npos);
    EXPECT_EQ(makeDialog()->archiveLookup(), true);
}

TEST_F(OptionsDialog, withoutAUserManagerCheckEveryWeekOffersTheCrontabLineToCopy)
{
    TempDir scratch;
    const StandInSystemctl systemctl(scratch.path(), StandInSystemctl::Kind::NoUserManager);
    scratch.mkdir("config/Orvanta");
    auto dialog = makeDialog();
    dialog->setCheckedFolder([] { return std::filesystem::path("/home/ann/My Favorites"); });
    auto* check = dialog->findChild<QCheckBox*>("chbScheduledCheck");
    auto* period = dialog->findChild<QComboBox*>("cbCheckPeriod");
    auto* note = dialog->findChild<QLabel*>("lbScheduleNote");
    auto* line = dialog->findChild<QLineEdit*>("edCrontabLine");
    ASSERT_TRUE(check && period && note && line);
    dialog->show();
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(check->text() + u' ' + period->currentText(), "Check every week");
    EXPECT_EQ(check->accessibleName(), "Check every week");
    EXPECT_FALSE(note->isVisible());
    EXPECT_FALSE(line->isVisible());
    const QSize restSize = dialog->size();

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(check->isChecked()) << "the person's choice stands: the crontab line may serve";
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "No systemd user manager could be reached (Failed to connect to bus: "
                            "No medium found), so the check is not set to run by itself. This "
                            "crontab line does the same:");
    EXPECT_TRUE(line->isVisible());
    EXPECT_TRUE(line->isReadOnly());
    EXPECT_EQ(line->text(), "@weekly " + QCoreApplication::applicationFilePath() +
                                " --check '/home/ann/My Favorites' --notify --format text");
    line->selectAll();
    line->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), line->text());
    EXPECT_GE(dialog->height(), line->geometry().bottom()) << "the dialog grows to hold the note";
    EXPECT_FALSE(std::filesystem::exists(systemctl.unitFolder() / "orvanta-check.service"));
    const std::filesystem::path config = scratch / "config/Orvanta/Config.ini";
    EXPECT_EQ(ReadFileBytes(config), "[Options]\nScheduledCheck=weekly\n");

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(note->text().endsWith("stays until it is removed with crontab -e."));
    EXPECT_FALSE(line->isVisible());
    EXPECT_EQ(ReadFileBytes(config), "[Options]\nScheduledCheck=off\n");
    EXPECT_EQ(systemctl.calls(),
              (std::vector<std::string>{"--user daemon-reload", "--user daemon-reload"}));
    EXPECT_GT(dialog->height(), restSize.height());
    ASSERT_TRUE(dialog->close());
    dialog->show();
    EXPECT_FALSE(note->isVisible()) << "the note was about the last change only";
    EXPECT_EQ(dialog->size(), restSize);
}

TEST_F(OptionsDialog, unwritableConfigOffersRetryAndCancelAndKeepsTheFile)
{
    const std::string before = "[Options]\nProxy=old\n";
    writeConfig(before);
    ASSERT_EQ(chmod(configPath().c_str(), 0444), 0);
    auto dialog = makeDialog();
    dialog->show();
    address->setText("new");

    // Retry tries again; Cancel leaves without saving.
    SetNextMessageBoxAnswer(QMessageBox::Retry);
    SetNextMessageBoxAnswer(QMessageBox::Cancel);
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(MessageBoxCount(), 2);
    const ShownMessageBox shown = LastMessageBox();
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_EQ(shown.caption, "Orvanta");
    EXPECT_EQ(shown.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    EXPECT_EQ(shown.text.toStdString(), "Unable to write to " + configPath().string() + ".");
    EXPECT_EQ(ReadFileBytes(configPath()), before);
    // What the dialog shows stays in effect.
    EXPECT_EQ(dialog->proxySettings().address, "new");

    ASSERT_EQ(chmod(configPath().c_str(), 0644), 0);
    dialog->show();
    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(MessageBoxCount(), 2) << "once the cause is gone the close saves quietly";
    EXPECT_NE(ReadFileBytes(configPath()).find("Proxy=new\n"), std::string::npos);
}

TEST_F(OptionsDialog, configThatCannotBeReadIsReportedAsSuchAndNeverReplaced)
{
    // Too big to be read, though it could be replaced, or a folder: the save
    // must not throw away what it could not see.
    writeConfig("[Other]\nkey=1\n");
    std::filesystem::resize_file(configPath(), ReadFileLimit + 1);
    auto dialog = makeDialog();
    dialog->show();
    SetNextMessageBoxAnswer(QMessageBox::Retry);
    SetNextMessageBoxAnswer(QMessageBox::Cancel);
    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(MessageBoxCount(), 2);
    EXPECT_EQ(LastMessageBox().icon, QMessageBox::Critical);
    EXPECT_EQ(LastMessageBox().text.toStdString(),
              "Unable to read " + configPath().string() + ". It was left unchanged.");
    EXPECT_EQ(std::filesystem::file_size(configPath()), std::uintmax_t(ReadFileLimit + 1));

    std::filesystem::remove(configPath());
    std::filesystem::create_directory(configPath());
    dialog->show();
    SetNextMessageBoxAnswer(QMessageBox::Cancel);
    EXPECT_TRUE(dialog->close());
    EXPECT_TRUE(LastMessageBox().text.startsWith("Unable to read "));
    EXPECT_TRUE(std::filesystem::is_directory(configPath()));
}

TEST_F(OptionsDialog, aConfigFolderWhoseNameIsNotUtf8KeepsItsBytes)
{
    const std::filesystem::path folder = configPath().parent_path().parent_path() / "c\xff";
    std::filesystem::create_directories(folder / "Orvanta");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.native()));
    std::ofstream(folder / "Orvanta/Config.ini") << "[Options]\nPort=3128\n";

    auto dialog = makeDialog();
    EXPECT_EQ(port->text(), "3128");
    dialog->show();
    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(MessageBoxCount(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "Orvanta/Config.ini"),
              "[Options]\nPort=3128\nProxy=\nUseProxy=0\nLinksAtOnce=128\nStrictVerdicts=0\n"
              "UseTrash=1\n");
}

TEST_F(OptionsDialog, showModalRunsCentredOverTheMainWindow)
{
    auto dialog = makeDialog();
    QPoint offset(99, 99);
    QTimer::singleShot(0, dialog.get(), [&] {
        if (QApplication::activeModalWidget() == dialog.get())
            offset = dialog->geometry().center() - dialog->parentWidget()->geometry().center();
        dialog->close();
    });
    dialog->showModal();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    EXPECT_TRUE(std::filesystem::exists(configPath()));
}

TEST_F(OptionsDialog, portFieldTakesDigitsAndEditingKeysAndBeepsAtAnythingElse)
{
    auto dialog = makeDialog(true);
    QTest::keyClicks(port, "8080");
    EXPECT_EQ(beeps, 0);
    QTest::keyClicks(port, "a Z+");
    EXPECT_EQ(port->text(), "8080");
    EXPECT_EQ(beeps, 4);

    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Left})
        QTest::keyClick(port, key);
    QTest::keyClick(port, Qt::Key_7);
    EXPECT_EQ(port->text(), "078");

    QGuiApplication::clipboard()->setText("999");
    QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
    port->selectAll();
    QTest::keyClick(port, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(port, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(port->text(), "078") << "clipboard shortcuts neither paste nor cut";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "999");
    EXPECT_EQ(beeps, 7);
}

TEST_F(OptionsDialog, portFieldTakesOneSeparatorInTheLocaleFormAndOneLeadingMinus)
{
    auto dialog = makeDialog(true);
    QTest::keyClicks(port, "1.5.,-");
    EXPECT_EQ(port->text(), "1.5");
    EXPECT_EQ(beeps, 3);
    QTest::keyClick(port, Qt::Key_Home);
    QTest::keyClicks(port, "-");
    QTest::keyClick(port, Qt::Key_Home);
    QTest::keyClicks(port, "-");
    EXPECT_EQ(port->text(), "-1.5");
    EXPECT_EQ(beeps, 4);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    port->clear();
    QTest::keyClicks(port, "8.");
    EXPECT_EQ(port->text(), "8,");
    QTest::keyClicks(port, ".,");
    EXPECT_EQ(port->text(), "8,");
    EXPECT_EQ(beeps, 6);
}

TEST_F(OptionsDialog, portFieldTakesNoNumberPastTheHighestPortByAnyEdit)
{
    auto dialog = makeDialog(true);
    QTest::keyClicks(port, "808099");
    EXPECT_EQ(port->text(), "8080");
    EXPECT_EQ(beeps, 2);
    // What a keystroke leaves counts, a replaced selection included.
    port->selectAll();
    QTest::keyClicks(port, "-65535.05");
    EXPECT_EQ(port->text(), "-65535.0");
    QGuiApplication::clipboard()->setText("70000");
    port->selectAll();
    port->paste();
    EXPECT_EQ(port->text(), "-65535.0");

    // A stored number past the range is shown as it is, and can only shrink.
    writeConfig("[Options]\r\nPort=808099\r\nUseProxy=1\r\n");
    auto stored = makeDialog();
    stored->show();
    QTest::keyClicks(port, "1\b");
    EXPECT_EQ(port->text(), "80809");
}

TEST_F(OptionsDialog, enterAndEscapeNeitherCloseTheDialogNorBeep)
{
    auto dialog = makeDialog(true);
    QTest::keyClick(port, Qt::Key_Return);
    QTest::keyClick(port, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(address, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(address, Qt::Key_Escape);
    QTest::keyClick(box, Qt::Key_Escape);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(port->text(), "");
    EXPECT_FALSE(std::filesystem::exists(configPath())) << "nothing closed, nothing saved";
}

} // namespace
