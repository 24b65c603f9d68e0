// The settings dialog under X11, driven by keys and mouse: where each control
// opens for the stored settings (the clamps themselves are the settings'
// own), its text whole, which ways of closing store what (on a real settings
// file), the model file check's verdict, and the About box opened from the
// button and the system command.
#include "ui/SettingsDialog.h"

#include "UiTestSupport.h"
#include "app/IniSettingsStore.h"
#include "platform/SettingsStore.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"
#include "ui/AboutDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace orbit {
namespace {

class SettingsDialogTest : public testing::Test {
protected:
    static std::string status(const SettingsDialog& dialog)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.checkingModel(); }));
        return dialog.modelStatus()->text().toStdString();
    }

    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
    test::ScratchDir scratch{"settings-dialog"};
};

// The dialog opens at the stored values, clamped, writing nothing. Keys move
// the slider (a page is a fifth of the range) and its value text follows; 7
// satellites and the sound box flipped off. OK and Enter rewrite the file with
// all four (the model text as it was read); Cancel, Escape and the close box
// leave it byte for byte.
TEST_F(SettingsDialogTest, OpensAtTheStoredValuesAndOnlyOkAndEnterStoreAllFour)
{
    const std::string startFile = "[Options]\nTimer=250\nSatCount=0\nFire=-5\n3dsFileName=old/ship.3ds\n";
    enum class End { Ok, Enter, Cancel, Escape, CloseBox };
    const std::tuple<Qt::Key, End, int, std::string> cases[] = {
        {Qt::Key_Home, End::Ok, 1, "Timer=1\n"},
        {Qt::Key_PageUp, End::Enter, 1, "Timer=29\n"},
        {Qt::Key_Right, End::Cancel, 2, ""},
        {Qt::Key_Right, End::Escape, 2, ""},
        {Qt::Key_Right, End::CloseBox, 2, ""},
    };
    for (const auto& [key, end, result, timerLine] : cases) {
        SCOPED_TRACE(static_cast<int>(end));
        const std::filesystem::path file = scratch.path() / "orbit-patrol.ini";
        test::writeFileBytes(file, std::vector<std::uint8_t>(startFile.begin(), startFile.end()));
        IniSettingsStore ini(file.string());
        SettingsDialog dialog(ini, resources, opener, notifier);
        dialog.show();
        QSlider* slider = dialog.delaySlider();
        const QWidget* delayValue = dialog.control(SettingsDialog::delayValueId);
        EXPECT_EQ(slider->value(), 100);
        EXPECT_EQ(delayValue->property("text"), "100 ms");
        EXPECT_EQ(dialog.satelliteSpinBox()->value(), 1);
        EXPECT_TRUE(dialog.shotSoundBox()->isChecked());
        EXPECT_EQ(dialog.modelField()->text(), "old/ship.3ds");
        EXPECT_EQ(status(dialog), "File could not be opened 2 (No such file or directory)\n"
                                  "The built-in ship will fly instead.");
        if (end == End::Ok) {
            EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            test::expectTextWhole(dialog, "settings-dialog", dialog.modelField());
        }
        slider->setValue(10);
        slider->setFocus();
        QTest::keyClick(slider, key);
        EXPECT_EQ(delayValue->property("text"), QString("%1 ms").arg(slider->value()));
        dialog.satelliteSpinBox()->setValue(7);
        dialog.shotSoundBox()->click();
        slider->setFocus();
        if (end == End::Ok || end == End::Cancel)
            QTest::mouseClick(dialog.control(end == End::Ok ? 1 : 2), Qt::LeftButton);
        else if (end == End::CloseBox)
            dialog.close();
        else
            QTest::keyClick(slider, end == End::Enter ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), result);
        const std::vector<std::uint8_t> after = test::readFileBytes(file);
        const std::string written = "[Options]\n" + timerLine + "SatCount=7\nFire=0\n3dsFileName=old/ship.3ds\n";
        EXPECT_EQ(std::string(after.begin(), after.end()), timerLine.empty() ? startFile : written);
    }
}

TEST_F(SettingsDialogTest, ChosenModelIsCheckedAndStoredAbsoluteAndBuiltInClearsIt)
{
    const std::filesystem::path ship = scratch.path() / "ship.3ds";
    const auto builtIn = resources.find("FILE3DS", 184);
    test::writeFileBytes(ship, {builtIn.begin(), builtIn.end()});
    test::writeFileBytes(scratch.path() / "bad.3ds", {'n', 'o', 't', ' ', '3', 'd', 's'});
    const QString folder = QString::fromStdString(scratch.path().string());
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(folder); // a relative choice is stored from here
    const std::pair<QString, std::string> cases[] = {
        {folder + "/ship.3ds", "8,728 faces, 13 materials"},
        {"bad.3ds", "Not in 3DS format.\nThe saver will report this error and fly no ship."},
    };
    for (const auto& [chosen, shown] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        for (const QString& choice : {chosen, QString()}) { // a cancelled file dialog changes nothing
            dialog.setFileChooser([choice](QWidget*, const QString&) { return choice; });
            QTest::mouseClick(dialog.control(SettingsDialog::browseButtonId), Qt::LeftButton);
            EXPECT_EQ(status(dialog), shown);
        }
        const std::string absolute = QFileInfo(chosen).absoluteFilePath().toStdString();
        EXPECT_EQ(dialog.modelField()->text().toStdString(), absolute);
        QTest::mouseClick(dialog.control(1), Qt::LeftButton);
        EXPECT_EQ(store.values["Options/3dsFileName"], absolute);
    }
    EXPECT_TRUE(notifier.messages.empty()); // the check never opens a message box
    EXPECT_EQ(modelSummary(1, 1), "1 face, 1 material");
    QDir::setCurrent(previousFolder);

    // Built-in clears the model and drops the check still running; OK stores it empty.
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    dialog.setFileChooser([](QWidget*, const QString&) { return "/no/such/other.3ds"; });
    QTest::mouseClick(dialog.control(SettingsDialog::browseButtonId), Qt::LeftButton);
    EXPECT_EQ(dialog.modelStatus()->text(), "Checking\u2026");
    QTest::mouseClick(dialog.control(SettingsDialog::builtInButtonId), Qt::LeftButton);
    QTest::qWait(200); // the overtaken check ends meanwhile; its result must not show
    EXPECT_EQ(dialog.modelStatus()->text(), "");
    EXPECT_EQ(dialog.modelField()->text(), "");
    QTest::mouseClick(dialog.control(1), Qt::LeftButton);
    EXPECT_EQ(store.values["Options/3dsFileName"], "");
}

// The system menu's command 16 (its low four bits are the system's own flags)
// and then the About button each open the About box as the dialog's child,
// storing no setting of the dialog's own.
TEST_F(SettingsDialogTest, SystemCommandAndAboutButtonOpenTheAboutBox)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    EXPECT_NE(dialog.systemMenu(), nullptr);
    dialog.show();
    QWidget* aboutParent = nullptr;
    QTimer poll; // presses Escape on each About box from inside its loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
            aboutParent = about->parentWidget();
            QTest::keyClick(about, Qt::Key_Escape);
        }
    });
    poll.start(10);
    dialog.postSystemCommand(16 | 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.aboutBoxesShown() == 1 && aboutParent; }));
    EXPECT_EQ(aboutParent, &dialog);
    QTest::mouseClick(dialog.control(SettingsDialog::aboutButtonId), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.aboutBoxesShown() == 2; }));
    EXPECT_EQ(store.values.count("Options/Timer"), 0u); // only the About box's own flags
}

} // namespace
} // namespace orbit
