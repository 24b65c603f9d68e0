// The desktop's parts: message boxes answered as a user would and links caught
// by URL handlers, on Qt's offscreen platform; the shot sound through SDL's
// dummy output (which plays in real time, like a sound card) and a missing driver.
#include "platform/SdlSoundPlayer.h"
#include "platform/qt/DesktopUrlOpener.h"
#include "platform/qt/MessageBoxNotifier.h"

#include "resources/EmbeddedResources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace orbit {
namespace {

// From inside the next box's loop: checks it and answers with button, or Escape for NoButton.
void answerNextBox(QMessageBox::StandardButton button, const QString& title, bool retryCancel)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text() + " " + box->windowTitle(), "Cannot open the file. " + title);
        EXPECT_EQ(std::pair(box->standardButtons(), box->icon()),
                  retryCancel ? std::pair(QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Question)
                              : std::pair(QMessageBox::StandardButtons(QMessageBox::Ok), QMessageBox::NoIcon));
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        button != QMessageBox::NoButton ? box->button(button)->click() : (void)QApplication::sendEvent(box, &escape);
    });
}

TEST(MessageBoxNotifier, ShowsTheBoxAndReturnsTheAnswer)
{
    MessageBoxNotifier notifier("orbit-patrol");
    answerNextBox(QMessageBox::Retry, "Caption", true);
    EXPECT_EQ(notifier.show("Cannot open the file.", "Caption", MessageButtons::RetryCancel), MessageReply::Retry);
    answerNextBox(QMessageBox::NoButton, "Caption", true); // Escape
    EXPECT_EQ(notifier.show("Cannot open the file.", "Caption", MessageButtons::RetryCancel), MessageReply::Cancel);
    // The framework's own boxes carry the application's title.
    answerNextBox(QMessageBox::Ok, "orbit-patrol", false);
    EXPECT_EQ(notifier.showAppMessage("Cannot open the file."), MessageReply::Ok);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void handle(const QUrl& url) { urls.append(url.toString()); }
};

TEST(DesktopUrlOpener, HandsOnlyValidTargetsToTheDesktop)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "handle");
    DesktopUrlOpener opener;
    EXPECT_TRUE(opener.open("http://www.example.org/orbit/index.html"));
    EXPECT_FALSE(opener.open("no scheme here"));
    EXPECT_FALSE(opener.open("http://exa mple.org/%zz"));
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(catcher.urls, QStringList({"http://www.example.org/orbit/index.html"}));
}

// Every shot goes out, also while the sound still plays: it restarts rather than
// queueing. Bad data is refused, never read past its end, and leaves the output.
TEST(SdlSoundPlayer, EveryShotGoesOutAndBadDataOrNoDeviceIsRefused)
{
    using namespace std::chrono;
    const std::span<const std::uint8_t> shot = EmbeddedResources().find("WAVE", 151);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        SdlSoundPlayer player;
        EXPECT_FALSE(player.play()) << "nothing prepared";
        EXPECT_FALSE(player.prepare({}) || player.prepare(std::vector<std::uint8_t>(100, 0x55)));
        ASSERT_TRUE(player.prepare(shot));
        for (int i = 0; i < 3; ++i) {
            const auto fired = steady_clock::now();
            ASSERT_TRUE(player.play());
            std::optional<steady_clock::time_point> heard;
            while (!(heard = player.lastStartHeard()) && steady_clock::now() - fired < seconds(2))
                std::this_thread::sleep_for(microseconds(200));
            ASSERT_TRUE(heard) << "shot " << i << " never went out";
            EXPECT_GE(*heard, fired);
        }
        // Its header claims 13 kB of samples but 100 bytes are there: SDL refuses it or keeps what is there.
        EXPECT_TRUE(!player.prepare(shot.first(100)) || player.play());
    }
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundPlayer player;
    EXPECT_FALSE(player.prepare(shot) || player.prepare(shot) || player.play() || player.lastStartHeard());
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace orbit

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "DesktopPlatformTest.moc"
