// The settings dialog on the offscreen platform: where the slider opens for each
// stored "Timer", which ways of closing store what, and the About box opened
// from the button, the context menu and the system command.
#include "ui/SettingsDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "ui/AboutDialog.h"

#include <QContextMenuEvent>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QSlider>
#include <QTest>

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

class SettingsDialogTest : public test::QtTest {
protected:
    std::string storedTimer() const
    {
        const auto found = store.values.find("Options/Timer");
        return found == store.values.end() ? "absent" : found->second;
    }

    // Opens the dialog with the slider at `start`, gives it `keys`, ends it
    // by `how` and returns the dialog's result.
    int run(int start, std::vector<Qt::Key> keys, int how)
    {
        SettingsDialog dialog(store, resources, opener, notifier);
        dialog.show();
        QSlider* slider = dialog.delaySlider();
        slider->setValue(start);
        slider->setFocus();
        for (Qt::Key key : keys)
            QTest::keyClick(slider, key);
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

    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
};

TEST_F(SettingsDialogTest, SliderOpensAtTheStoredDelayClampedAndWritesNothingOnOpening)
{
    for (const auto& [stored, shown] : {std::pair{"absent", 10}, std::pair{"0", 1}, std::pair{"250", 100}}) {
        store.values.clear();
        if (std::string(stored) != "absent")
            store.values["Options/Timer"] = stored;
        SettingsDialog dialog(store, resources, opener, notifier);
        EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
        EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        EXPECT_EQ(dialog.delaySlider()->minimum(), 1);
        EXPECT_EQ(dialog.delaySlider()->maximum(), 100);
        EXPECT_EQ(dialog.delaySlider()->value(), shown) << stored;
        EXPECT_EQ(storedTimer(), stored);
    }
}

TEST_F(SettingsDialogTest, OkAndEnterStoreTheSliderCancelEscapeAndCloseStoreNothing)
{
    // Keys move the slider; a page is a fifth of the range.
    const std::tuple<std::vector<Qt::Key>, int, int, std::string> cases[] = {
        {{}, 1, 1, "10"},                    // OK
        {{Qt::Key_Home}, 0, 1, "1"},         // Enter, the default button
        {{Qt::Key_PageUp}, 0, 1, "29"},
        {{Qt::Key_Right}, 2, 2, "absent"},   // Cancel
        {{Qt::Key_Right}, 3, 2, "absent"},   // Escape
        {{Qt::Key_Right}, 4, 2, "absent"},   // the close box
    };
    for (const auto& [keys, how, result, stored] : cases) {
        SCOPED_TRACE(how);
        store.values.clear();
        store.writes = 0;
        EXPECT_EQ(run(10, keys, how), result);
        EXPECT_EQ(storedTimer(), stored);
        EXPECT_EQ(store.writes, stored == "absent" ? 0 : 1);
    }
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
        EXPECT_EQ(storedTimer(), "absent");
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
