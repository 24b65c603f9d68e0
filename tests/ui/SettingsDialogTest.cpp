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

namespace orbit {
namespace {

class SettingsDialogTest : public test::QtTest {
protected:
    std::string storedTimer() const
    {
        const auto found = store.values.find("Options/Timer");
        return found == store.values.end() ? "absent" : found->second;
    }

    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
};

TEST_F(SettingsDialogTest, SliderOpensAtTheStoredDelayClampedAndOkStoresWhatItShows)
{
    for (const auto& [stored, shown] : {std::pair{"absent", 10}, std::pair{"0", 1}, std::pair{"250", 100}}) {
        SCOPED_TRACE(stored);
        store.values.clear();
        if (std::string(stored) != "absent")
            store.values["Options/Timer"] = stored;
        SettingsDialog dialog(store, resources, opener, notifier);
        EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
        EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        ASSERT_NE(dialog.delaySlider(), nullptr);
        EXPECT_EQ(dialog.delaySlider()->minimum(), 1);
        EXPECT_EQ(dialog.delaySlider()->maximum(), 100);
        EXPECT_EQ(dialog.delaySlider()->value(), shown);
        EXPECT_EQ(storedTimer(), stored) << "opening writes nothing, not even a clamped value";
        dialog.show();
        QTest::mouseClick(dialog.control(1), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(storedTimer(), std::to_string(shown));
    }
}

TEST_F(SettingsDialogTest, MovingTo37ThenCancellingStoresNothing)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        store.values["Options/Timer"] = "20";
        store.writes = 0;
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        QSlider* slider = dialog.delaySlider();
        slider->setFocus();
        for (int i = 0; i < 17; ++i)
            QTest::keyClick(slider, Qt::Key_Right);
        ASSERT_EQ(slider->value(), 37);
        if (way == 0)
            QTest::mouseClick(dialog.control(2), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close(); // the close box
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 2);
        EXPECT_EQ(store.writes, 0);
    }
}

// The slider takes keys, then Enter (the default button) ends the dialog.
TEST_F(SettingsDialogTest, EnterStoresTheSliderPosition)
{
    const std::pair<std::vector<Qt::Key>, std::string> cases[] = {
        {{Qt::Key_Home}, "1"}, {{Qt::Key_End}, "100"}, {{Qt::Key_PageUp}, "29"}}; // a page is a fifth of the range
    for (const auto& [keys, stored] : cases) {
        SCOPED_TRACE(stored);
        store.writes = 0;
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        QSlider* slider = dialog.delaySlider();
        slider->setValue(10);
        slider->setFocus();
        for (Qt::Key key : keys)
            QTest::keyClick(slider, key);
        QTest::keyClick(slider, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(store.writes, 1);
        EXPECT_EQ(storedTimer(), stored);
    }
}

TEST_F(SettingsDialogTest, ButtonAndContextMenuOpenTheAboutBoxOnTopAndKeepTheSlider)
{
    for (bool viaMenu : {false, true}) {
        SCOPED_TRACE(viaMenu ? "context menu" : "button");
        notifier.messages.clear();
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        dialog.delaySlider()->setValue(42);
        QWidget* aboutParent = nullptr;
        test::ModalWatcher watcher([&](QWidget* modal) {
            EXPECT_NE(qobject_cast<AboutDialog*>(modal), nullptr);
            aboutParent = modal->parentWidget();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        if (!viaMenu) {
            QTest::mouseClick(dialog.control(57664), Qt::LeftButton);
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
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.delaySlider()->value(), 42);
        // Without GL here, the cube button reports it as a missing pixel format.
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
        EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
        EXPECT_EQ(storedTimer(), "absent");
    }
}

TEST_F(SettingsDialogTest, OnlySystemCommandSixteenOpensTheAboutBox)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    test::ModalWatcher watcher([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    for (int command : {0, 48, 32})
        dialog.postSystemCommand(command);
    QTest::qWait(50);
    EXPECT_EQ(dialog.aboutBoxesShown(), 0);
    // The low four bits are the system's own flags: 16 | 3 still means About.
    dialog.postSystemCommand(16 | 3);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.fired(); }));
    EXPECT_EQ(dialog.aboutBoxesShown(), 1);
}

TEST_F(SettingsDialogTest, WithoutTheMenuStringOrIconThereIsNoMenuButTheButtonWorks)
{
    MemoryResources bare;
    SettingsDialog dialog(store, bare, opener, notifier);
    EXPECT_EQ(dialog.systemMenu(), nullptr);
    EXPECT_TRUE(dialog.windowIcon().availableSizes().isEmpty());
    dialog.show();
    test::ModalWatcher watcher([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(dialog.control(57664), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.fired(); }));
    EXPECT_EQ(dialog.aboutBoxesShown(), 1);
}

} // namespace
} // namespace orbit
