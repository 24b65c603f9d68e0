// The settings dialog under X11: where each control opens for the stored
// settings, which ways of closing store what (on a real settings file), the
// model file check, and the About box opened from the button, the context
// menu and the system command.
#include "ui/SettingsDialog.h"

#include "UiTestSupport.h"
#include "app/IniSettingsStore.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestFiles.h"
#include "ui/AboutDialog.h"
#include "tests/support/TestDoubles.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <array>

namespace orbit {
namespace {

// Presses Escape on the next modal widget from inside its loop; `aboutParent`
// gets its parent when it is an About box.
void escapeNextModal(QWidget*& aboutParent)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &aboutParent] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            aboutParent = qobject_cast<AboutDialog*>(modal) ? modal->parentWidget() : nullptr;
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    poll->start(10);
}

const std::string startFile = "[Options]\nTimer=250\nSatCount=0\nFire=-5\n3dsFileName=old/ship.3ds\n";
const std::string openError = "File could not be opened 2 (No such file or directory)\n"
                              "The built-in ship will fly instead.";

class SettingsDialogTest : public test::QtTest {
protected:
    std::string stored(const char* name) const
    {
        const auto found = store.values.find(std::string("Options/") + name);
        return found == store.values.end() ? "absent" : found->second;
    }

    static std::string status(const SettingsDialog& dialog)
    {
        EXPECT_TRUE(test::waitUntil([&] { return !dialog.checkingModel(); }));
        return dialog.modelStatus()->text().toStdString();
    }

    // Opens the dialog on the settings file `ini` with the slider at `start`,
    // gives the slider `keys`, sets 7 satellites, flips the sound box, ends it
    // by `how` and returns the dialog's result.
    int run(SettingsStore& ini, int start, std::vector<Qt::Key> keys, int how)
    {
        SettingsDialog dialog(ini, resources, opener, notifier);
        dialog.show();
        QSlider* slider = dialog.delaySlider();
        slider->setValue(start);
        slider->setFocus();
        for (Qt::Key key : keys)
            QTest::keyClick(slider, key);
        EXPECT_EQ(dialog.control(SettingsDialog::delayValueId)->property("text").toString(),
                  QString("%1 ms").arg(slider->value()));
        dialog.satelliteSpinBox()->setValue(7);
        dialog.shotSoundBox()->click();
        slider->setFocus();
        if (how == 0)
            QTest::keyClick(slider, Qt::Key_Return);
        else if (how < 3)
            QTest::mouseClick(dialog.control(how), Qt::LeftButton);
        else if (how == 3)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close(); // the close box
        EXPECT_FALSE(dialog.isVisible());
        return dialog.result();
    }

    // Chooses `path` through "Browse..." and returns the check's text.
    static std::string browse(SettingsDialog& dialog, const QString& path)
    {
        dialog.setFileChooser([path](QWidget*, const QString&) { return path; });
        QTest::mouseClick(dialog.control(SettingsDialog::browseButtonId), Qt::LeftButton);
        return status(dialog);
    }

    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
    test::ScratchDir scratch{"settings-dialog"};
};

TEST_F(SettingsDialogTest, EveryControlOpensAtTheStoredValueClampedAndOpeningWritesNothing)
{
    using Stored = std::array<const char*, 4>; // Timer, SatCount, Fire, 3dsFileName; nullptr: absent
    using Shown = std::tuple<int, int, bool, std::string, std::string>; // slider, satellites, sound, field, status
    const std::pair<Stored, Shown> cases[] = {
        {{nullptr, nullptr, nullptr, nullptr}, {10, 3, true, "", ""}},
        {{"0", "0", "0", "/no/such/ship.3ds"}, {1, 1, false, "/no/such/ship.3ds", openError}},
        {{"250", "50", "-5", ""}, {100, 10, true, "", ""}},
        {{"-7", "abc", "2", "no/such/ship.3ds"}, {1, 3, true, "no/such/ship.3ds", openError}},
    };
    const char* names[] = {"Timer", "SatCount", "Fire", "3dsFileName"};
    for (const auto& [values, shown] : cases) {
        store.values.clear();
        for (int i = 0; i < 4; ++i)
            if (values[i])
                store.values[std::string("Options/") + names[i]] = values[i];
        const auto before = store.values;
        SettingsDialog dialog(store, resources, opener, notifier);
        EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
        EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        EXPECT_EQ(std::make_tuple(dialog.delaySlider()->minimum(), dialog.delaySlider()->maximum(),
                                  dialog.satelliteSpinBox()->minimum(), dialog.satelliteSpinBox()->maximum()),
                  std::make_tuple(1, 100, 1, 10));
        EXPECT_EQ(Shown(dialog.delaySlider()->value(), dialog.satelliteSpinBox()->value(),
                        dialog.shotSoundBox()->isChecked(), dialog.modelField()->text().toStdString(), status(dialog)),
                  shown);
        EXPECT_EQ(dialog.control(SettingsDialog::delayValueId)->property("text").toString(),
                  QString("%1 ms").arg(std::get<0>(shown)));
        EXPECT_EQ(store.values, before);
        EXPECT_EQ(store.writes, 0);
    }
}

TEST_F(SettingsDialogTest, OkAndEnterStoreAllFourCancelEscapeAndCloseLeaveTheFileAsItWas)
{
    // Keys move the slider; a page is a fifth of the range. OK rewrites the
    // stored model text as it was read; new keys join the file in write order.
    const std::tuple<std::vector<Qt::Key>, int, int, std::string> cases[] = {
        {{}, 1, 1, "Timer=10\nSatCount=7\nFire=0\n3dsFileName=old/ship.3ds\n"}, // OK
        {{Qt::Key_Home}, 0, 1, "Timer=1\nSatCount=7\nFire=0\n3dsFileName=old/ship.3ds\n"}, // Enter
        {{Qt::Key_PageUp}, 0, 1, "Timer=29\nSatCount=7\nFire=0\n3dsFileName=old/ship.3ds\n"},
        {{Qt::Key_Right}, 2, 2, ""}, // Cancel
        {{Qt::Key_Right}, 3, 2, ""}, // Escape
        {{Qt::Key_Right}, 4, 2, ""}, // the close box
    };
    for (const auto& [keys, how, result, written] : cases) {
        SCOPED_TRACE(how);
        const std::filesystem::path file = scratch.path() / "orbit-patrol.ini";
        test::writeFileBytes(file, std::vector<std::uint8_t>(startFile.begin(), startFile.end()));
        IniSettingsStore ini(file.string());
        EXPECT_EQ(run(ini, 10, keys, how), result);
        const std::vector<std::uint8_t> after = test::readFileBytes(file);
        EXPECT_EQ(std::string(after.begin(), after.end()), written.empty() ? startFile : "[Options]\n" + written);
    }
}

TEST_F(SettingsDialogTest, ChosenModelIsCheckedWithTheSaversLoaderAndStoredAbsoluteEvenWhenItFails)
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
        {folder + "/missing.3ds", openError},
        {folder, "File could not be opened 21 (Is a directory)\n"
                 "The saver will report this error and fly no ship."},
    };
    for (const auto& [chosen, shown] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        store.values.clear();
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        EXPECT_EQ(browse(dialog, chosen), shown);
        const std::string absolute = QFileInfo(chosen).absoluteFilePath().toStdString();
        EXPECT_EQ(dialog.modelField()->text().toStdString(), absolute);
        EXPECT_EQ(browse(dialog, ""), shown); // a cancelled file dialog changes nothing
        QTest::mouseClick(dialog.control(1), Qt::LeftButton);
        EXPECT_EQ(stored("3dsFileName"), absolute);
    }
    EXPECT_TRUE(notifier.messages.empty()); // the check never opens a message box
    QDir::setCurrent(previousFolder);
}

TEST_F(SettingsDialogTest, BuiltInClearsTheModelDropsTheRunningCheckAndOkStoresItEmpty)
{
    store.values["Options/3dsFileName"] = "/no/such/ship.3ds";
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
    EXPECT_EQ(stored("3dsFileName"), "");
}

TEST(ModelSummary, CountsWithThousandsSeparatorsAndSingulars)
{
    const std::tuple<std::size_t, std::size_t, std::string> cases[] = {
        {0, 0, "0 faces, 0 materials"},
        {1, 1, "1 face, 1 material"},
        {999, 1000, "999 faces, 1,000 materials"},
        {1234567, 13, "1,234,567 faces, 13 materials"},
    };
    for (const auto& [faces, materials, text] : cases)
        EXPECT_EQ(modelSummary(faces, materials), text);
}

TEST_F(SettingsDialogTest, ButtonContextMenuAndSystemCommandSixteenOpenTheAboutBoxOnTop)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        dialog.delaySlider()->setValue(42);
        QWidget* aboutParent = nullptr;
        escapeNextModal(aboutParent);
        if (way == 0) {
            QTest::mouseClick(dialog.control(57664), Qt::LeftButton);
        } else if (way == 1) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), dialog.mapToGlobal(QPoint(10, 10)));
            QCoreApplication::sendEvent(&dialog, &event);
            QMenu* menu = dialog.systemMenu();
            ASSERT_TRUE(test::waitUntil([&] { return menu->isVisible(); }));
            const auto actions = menu->actions();
            ASSERT_EQ(actions.size(), 2);
            EXPECT_TRUE(actions[0]->isSeparator());
            EXPECT_EQ(actions[1]->text(), "&About Orbit Patrol...");
            menu->setActiveAction(actions[1]);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            for (int command : {0, 48, 32})
                dialog.postSystemCommand(command);
            QTest::qWait(50);
            EXPECT_EQ(dialog.aboutBoxesShown(), 0);
            dialog.postSystemCommand(16 | 3); // the low four bits are the system's own flags
        }
        ASSERT_TRUE(test::waitUntil([&] { return dialog.aboutBoxesShown() == 1 && aboutParent; }));
        EXPECT_EQ(aboutParent, &dialog);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.delaySlider()->value(), 42);
        EXPECT_EQ(stored("Timer"), "absent");
    }
}

TEST_F(SettingsDialogTest, WithoutTheMenuStringOrIconThereIsNoMenuButTheButtonWorks)
{
    MemoryResources bare;
    SettingsDialog dialog(store, bare, opener, notifier);
    EXPECT_EQ(dialog.systemMenu(), nullptr);
    EXPECT_TRUE(dialog.windowIcon().availableSizes().isEmpty());
    dialog.show();
    QWidget* aboutParent = nullptr;
    escapeNextModal(aboutParent);
    QTest::mouseClick(dialog.control(57664), Qt::LeftButton);
    EXPECT_TRUE(test::waitUntil([&] { return aboutParent == &dialog && dialog.aboutBoxesShown() == 1; }));
}

} // namespace
} // namespace orbit
