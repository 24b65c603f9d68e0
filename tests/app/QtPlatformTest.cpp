// The Qt implementations of the platform interfaces, on Qt's offscreen
// platform: message boxes are found and answered as a user would, and link
// opening is caught by URL handlers installed for the test.
#include "platform/qt/DesktopUrlOpener.h"
#include "platform/qt/MessageBoxNotifier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace orbit {
namespace {

struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Waits (in the box's own event loop) for the modal box, notes what it shows
// and answers it with answer.
void answerNextBox(SeenBox& seen, std::function<void(QMessageBox&)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
        answer(*box);
    });
    poll->start(10);
}

std::function<void(QMessageBox&)> click(QMessageBox::StandardButton button)
{
    return [button](QMessageBox& box) { box.button(button)->click(); };
}

std::function<void(QMessageBox&)> pressEscape()
{
    return [](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    };
}

struct BoxCase {
    const char* name;
    MessageButtons buttons;
    std::function<void(QMessageBox&)> answer;
    MessageReply reply;
};

class MessageBoxNotifierTest : public testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxNotifierTest, ShowsTheBoxAndReturnsTheAnswer)
{
    MessageBoxNotifier notifier("orbit-patrol");
    SeenBox seen;
    answerNextBox(seen, GetParam().answer);
    EXPECT_EQ(notifier.show("Cannot open the file.", "Caption", GetParam().buttons), GetParam().reply);
    EXPECT_EQ(seen.text, "Cannot open the file.");
    EXPECT_EQ(seen.title, "Caption");
    if (GetParam().buttons == MessageButtons::Ok) {
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    } else {
        EXPECT_EQ(seen.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        EXPECT_EQ(seen.icon, QMessageBox::Question);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, MessageBoxNotifierTest, testing::Values(
    BoxCase{"Ok", MessageButtons::Ok, click(QMessageBox::Ok), MessageReply::Ok},
    BoxCase{"OkByEscape", MessageButtons::Ok, pressEscape(), MessageReply::Ok},
    BoxCase{"Retry", MessageButtons::RetryCancel, click(QMessageBox::Retry), MessageReply::Retry},
    BoxCase{"Cancel", MessageButtons::RetryCancel, click(QMessageBox::Cancel), MessageReply::Cancel},
    BoxCase{"EscapeIsCancel", MessageButtons::RetryCancel, pressEscape(), MessageReply::Cancel}),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxNotifier, AppMessageCarriesTheApplicationTitle)
{
    MessageBoxNotifier notifier("orbit-patrol");
    SeenBox seen;
    answerNextBox(seen, click(QMessageBox::Ok));
    EXPECT_EQ(notifier.showAppMessage("Ups!"), MessageReply::Ok);
    EXPECT_EQ(seen.title, "orbit-patrol");
    // The set-up failures come without a caption.
    answerNextBox(seen, click(QMessageBox::Ok));
    notifier.show("ChoosePixelFormat failed", "", MessageButtons::Ok);
    EXPECT_EQ(seen.title, "");
    EXPECT_EQ(seen.text, "ChoosePixelFormat failed");
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void handle(const QUrl& url) { urls.append(url); }
};

TEST(DesktopUrlOpener, HandsValidTargetsToTheDesktop)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "handle");
    QDesktopServices::setUrlHandler("mailto", &catcher, "handle");
    DesktopUrlOpener opener;
    EXPECT_TRUE(opener.open("http://www.example.org/orbit/index.html"));
    EXPECT_TRUE(opener.open("mailto:pilot@example.org"));
    // Not a URL: the desktop is never asked.
    EXPECT_FALSE(opener.open(""));
    EXPECT_FALSE(opener.open("no scheme here"));
    EXPECT_FALSE(opener.open("http://exa mple.org/%zz"));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("mailto");
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0].toString(), "http://www.example.org/orbit/index.html");
    EXPECT_EQ(catcher.urls[1].toString(), "mailto:pilot@example.org");
}

} // namespace
} // namespace orbit

int main(int argc, char** argv)
{
    // Widgets without an X server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "QtPlatformTest.moc"
