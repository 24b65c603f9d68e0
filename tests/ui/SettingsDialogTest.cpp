// The settings dialog on the offscreen platform: where the slider opens for
// each stored "Timer", which ways of closing store what, Enter as OK, and
// the About box opened from the button and from the context menu.
#include "ui/SettingsDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "ui/AboutDialog.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <optional>

namespace orbit {
namespace {

class SettingsDialogTest : public test::QtTest {
protected:
    std::optional<std::string> storedTimer() const
    {
        const auto found = store.values.find("Options/Timer");
        if (found == store.values.end())
            return std::nullopt;
        return found->second;
    }

    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
};

struct OpeningCase {
    std::optional<std::string> stored;
    int slider;
};

class SettingsDialogOpening : public SettingsDialogTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(SettingsDialogOpening, SliderShowsTheStoredDelayClampedToItsRange)
{
    if (GetParam().stored)
        store.values["Options/Timer"] = *GetParam().stored;
    SettingsDialog dialog(store, resources, opener, notifier);
    ASSERT_NE(dialog.delaySlider(), nullptr);
    EXPECT_EQ(dialog.delaySlider()->minimum(), 1);
    EXPECT_EQ(dialog.delaySlider()->maximum(), 100);
    EXPECT_EQ(dialog.delaySlider()->value(), GetParam().slider);
    EXPECT_EQ(store.writes, 0); // opening writes nothing, not even a clamped value
}

INSTANTIATE_TEST_SUITE_P(StoredTimer, SettingsDialogOpening,
                         ::testing::Values(OpeningCase{std::nullopt, 10}, OpeningCase{"0", 1},
                                           OpeningCase{"-5", 1}, OpeningCase{"250", 100},
                                           OpeningCase{"37", 37}, OpeningCase{"1", 1}, OpeningCase{"100", 100},
                                           OpeningCase{"fast", 10}));

TEST_F(SettingsDialogTest, OkWithoutMovingStoresTheShownValue)
{
    store.values["Options/Timer"] = "250";
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    QTest::mouseClick(dialog.control(1), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(storedTimer(), "100"); // corrected in the store only by OK
}

enum class Closing { CancelButton, Escape, CloseBox };

class SettingsDialogCancel : public SettingsDialogTest, public ::testing::WithParamInterface<Closing> {};

TEST_P(SettingsDialogCancel, MovingTo37ThenCancellingStoresNothing)
{
    store.values["Options/Timer"] = "20";
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    QSlider* slider = dialog.delaySlider();
    slider->setFocus();
    for (int i = 0; i < 17; ++i)
        QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(slider->value(), 37);
    switch (GetParam()) {
    case Closing::CancelButton:
        QTest::mouseClick(dialog.control(2), Qt::LeftButton);
        break;
    case Closing::Escape:
        QTest::keyClick(&dialog, Qt::Key_Escape);
        break;
    case Closing::CloseBox:
        dialog.close();
        break;
    }
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), SettingsDialog::cancelResult);
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(storedTimer(), "20");
}

INSTANTIATE_TEST_SUITE_P(Ways, SettingsDialogCancel,
                         ::testing::Values(Closing::CancelButton, Closing::Escape, Closing::CloseBox));

struct KeyCase {
    std::vector<Qt::Key> keys;
    std::string stored;
};

class SettingsDialogOk : public SettingsDialogTest, public ::testing::WithParamInterface<KeyCase> {};

// The slider takes keys, then Enter (the default button) or a click on OK ends it.
TEST_P(SettingsDialogOk, EnterStoresTheSliderPosition)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    QSlider* slider = dialog.delaySlider();
    slider->setFocus();
    for (Qt::Key key : GetParam().keys)
        QTest::keyClick(slider, key);
    QTest::keyClick(slider, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(store.writes, 1);
    EXPECT_EQ(storedTimer(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Positions, SettingsDialogOk,
                         ::testing::Values(KeyCase{{}, "10"},                            // untouched default
                                           KeyCase{{Qt::Key_Home}, "1"},                 // leftmost
                                           KeyCase{{Qt::Key_End}, "100"},                // rightmost
                                           KeyCase{{Qt::Key_Home, Qt::Key_Left}, "1"},   // cannot pass 1
                                           KeyCase{{Qt::Key_PageUp}, "29"},              // page = range / 5
                                           KeyCase{{Qt::Key_Right, Qt::Key_Right}, "12"}));

TEST_F(SettingsDialogTest, ExecReturnsOneForOkAndTwoForCancel)
{
    for (const auto& [buttonId, expected] : {std::pair{1, 1}, std::pair{2, 2}}) {
        SettingsDialog dialog(store, resources, opener, notifier);
        test::ModalWatcher watcher([id = buttonId](QWidget* modal) {
            auto* settings = qobject_cast<SettingsDialog*>(modal);
            ASSERT_NE(settings, nullptr);
            qobject_cast<QPushButton*>(settings->control(id))->click();
        });
        EXPECT_EQ(dialog.exec(), expected);
        EXPECT_TRUE(watcher.fired());
    }
}

TEST_F(SettingsDialogTest, DialogCarriesItsCaptionAndTheProgramIcon)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
    EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
    MemoryResources bare; // no icon: Qt's default, and no failure
    SettingsDialog plain(store, bare, opener, notifier);
    EXPECT_TRUE(plain.windowIcon().availableSizes().isEmpty());
}

enum class AboutPath { Button, ContextMenu };

class SettingsDialogAbout : public SettingsDialogTest, public ::testing::WithParamInterface<AboutPath> {};

TEST_P(SettingsDialogAbout, OpensTheAboutBoxOnTopAndKeepsTheSlider)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    dialog.delaySlider()->setValue(42);
    QWidget* aboutParent = nullptr;
    QString aboutTitle;
    test::ModalWatcher watcher([&](QWidget* modal) {
        auto* about = qobject_cast<AboutDialog*>(modal);
        ASSERT_NE(about, nullptr);
        aboutParent = about->parentWidget();
        aboutTitle = about->windowTitle();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    if (GetParam() == AboutPath::Button) {
        QTest::mouseClick(dialog.control(SettingsDialog::aboutButtonId), Qt::LeftButton);
    } else {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), dialog.mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(&dialog, &event);
        QMenu* menu = dialog.systemMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(test::waitUntil([&] { return menu->isVisible(); }));
        const auto actions = menu->actions();
        ASSERT_EQ(actions.size(), 2); // separator, then the item
        EXPECT_TRUE(actions[0]->isSeparator());
        EXPECT_EQ(actions[1]->text(), "&About Orbit Patrol...");
        menu->setActiveAction(actions[1]);
        QTest::keyClick(menu, Qt::Key_Return);
    }
    ASSERT_TRUE(test::waitUntil([&] { return dialog.aboutBoxesShown() == 1 && watcher.fired(); }));
    EXPECT_EQ(aboutParent, &dialog);
    EXPECT_EQ(aboutTitle, "About Orbit Patrol");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.delaySlider()->value(), 42);
    // Without GL here, the cube button reports it as a missing pixel format.
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
    EXPECT_EQ(store.values.count("Options/Timer"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Paths, SettingsDialogAbout, ::testing::Values(AboutPath::Button, AboutPath::ContextMenu));

TEST_F(SettingsDialogTest, OtherSystemCommandsDoNotOpenTheAboutBox)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    // Low four bits are the system's own flags: 16 | 3 still means About.
    test::ModalWatcher watcher([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    dialog.postSystemCommand(0);
    dialog.postSystemCommand(48);
    dialog.postSystemCommand(32);
    QTest::qWait(50);
    EXPECT_EQ(dialog.aboutBoxesShown(), 0);
    dialog.postSystemCommand(16 | 3);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.fired(); }));
    EXPECT_EQ(dialog.aboutBoxesShown(), 1);
}

TEST_F(SettingsDialogTest, WithoutTheMenuStringThereIsNoMenuButTheButtonWorks)
{
    MemoryResources bare; // no string 101
    SettingsDialog dialog(store, bare, opener, notifier);
    EXPECT_EQ(dialog.systemMenu(), nullptr);
    dialog.show();
    test::ModalWatcher watcher([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(dialog.control(SettingsDialog::aboutButtonId), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.fired(); }));
    EXPECT_EQ(dialog.aboutBoxesShown(), 1);
}

} // namespace
} // namespace orbit
