// The Qt platform parts on Qt's offscreen platform: message boxes answered as
// a user would, links caught by URL handlers installed for the test.
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
    answerNextBox(QMessageBox::Ok, "Caption", false);
    EXPECT_EQ(notifier.show("Cannot open the file.", "Caption", MessageButtons::Ok), MessageReply::Ok);
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
    QDesktopServices::setUrlHandler("mailto", &catcher, "handle");
    DesktopUrlOpener opener;
    EXPECT_TRUE(opener.open("http://www.example.org/orbit/index.html"));
    EXPECT_TRUE(opener.open("mailto:pilot@example.org"));
    EXPECT_FALSE(opener.open("no scheme here"));
    EXPECT_FALSE(opener.open("http://exa mple.org/%zz"));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("mailto");
    EXPECT_EQ(catcher.urls, QStringList({"http://www.example.org/orbit/index.html", "mailto:pilot@example.org"}));
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

#include "QtPlatformTest.moc"
