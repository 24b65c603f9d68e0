// The About box on the offscreen platform (the cube button has no GL there):
// picture, author line, link labels with their colours, cursors, sizes and
// targets, and the visited flags written on every close.
#include "ui/AboutDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "ui/CubeButton.h"
#include "ui/HyperLinkLabel.h"
#include "ui/TransparentEdit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace orbit {
namespace {

class AboutDialogTest : public test::QtTest {
protected:
    void SetUp() override
    {
        test::QtTest::SetUp();
        resources.add("Jpg", AboutDialog::pictureId, test::uiTestData("quadrants-35x20.jpg"));
    }

    std::unique_ptr<AboutDialog> open()
    {
        auto dialog = std::make_unique<AboutDialog>(store, resources, opener, notifier);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QPoint centreOf(QWidget* widget) { return widget->rect().center(); }

    MemorySettingsStore store;
    MemoryResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
};

bool hasPixel(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    }
    return false;
}

TEST_F(AboutDialogTest, FirstRunShowsBothLinksBlueUnderlinedAndSizedToTheirText)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), "About Orbit Patrol");
    EXPECT_EQ(dialog->emailLink()->text(), "orbit-patrol@example.org");
    EXPECT_EQ(dialog->webLink()->text(), "https://www.example.org/");
    for (HyperLinkLabel* link : {dialog->emailLink(), dialog->webLink()}) {
        SCOPED_TRACE(link->text().toStdString());
        EXPECT_FALSE(link->isVisited());
        EXPECT_EQ(link->textColour(), QColor(0, 0, 255));
        EXPECT_TRUE(link->font().underline());
        const QFontMetrics metrics(link->font());
        EXPECT_EQ(link->size(), QSize(metrics.horizontalAdvance(link->text()), metrics.height()));
        // The underline is drawn in the link colour itself.
        EXPECT_TRUE(hasPixel(link->grab().toImage(), qRgb(0, 0, 255)));
    }
    // So a click beside the text does not reach the link.
    HyperLinkLabel* web = dialog->webLink();
    const QPoint beside = web->geometry().topRight() + QPoint(4, web->height() / 2);
    ASSERT_LT(beside.x(), dialog->width());
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, beside);
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(AboutDialogTest, LinkColourAndCursorFollowThePointerAndButton)
{
    // Steps: i move in, p press, o move out (drag out while pressed), I release
    // inside, O release outside. Without cursor resources the hands are Qt's.
    struct Step {
        char action;
        QRgb colour;
        Qt::CursorShape cursor;
        int opened;
    };
    constexpr QRgb blue = qRgb(0, 0, 255), hover = qRgb(64, 64, 255), red = qRgb(255, 0, 0), purple = qRgb(85, 26, 139);
    constexpr Qt::CursorShape hand = Qt::PointingHandCursor, arrow = Qt::ArrowCursor;
    const std::vector<std::vector<Step>> scripts{
        {{'i', hover, hand, 0}, {'o', blue, arrow, 0}},
        {{'i', hover, hand, 0}, {'p', red, hand, 0}, {'I', purple, hand, 1}, {'i', hover, hand, 1}, {'o', purple, arrow, 1}},
        {{'i', hover, hand, 0}, {'p', red, hand, 0}, {'o', red, arrow, 0}, {'O', blue, arrow, 0}},
        {{'p', red, hand, 0}, {'o', red, arrow, 0}, {'i', red, hand, 0}, {'I', purple, hand, 1}},
    };
    for (std::size_t script = 0; script < scripts.size(); ++script) {
        opener.opened.clear();
        auto dialog = open();
        HyperLinkLabel* link = dialog->webLink();
        const QPoint inside = centreOf(link);
        const QPoint outside(link->width() + 30, link->height() / 2);
        int moves = 0;
        for (const Step& step : scripts[script]) {
            SCOPED_TRACE(testing::Message() << "script " << script << " step " << step.action);
            if (step.action == 'i') // a move must change the position, or no event is delivered
                QTest::mouseMove(link, inside + QPoint(++moves % 2, 0));
            else if (step.action == 'o')
                QTest::mouseMove(link, outside);
            else if (step.action == 'p')
                QTest::mousePress(link, Qt::LeftButton, {}, inside);
            else
                QTest::mouseRelease(link, Qt::LeftButton, {}, step.action == 'I' ? inside : outside);
            EXPECT_EQ(link->textColour(), QColor(step.colour));
            EXPECT_EQ(link->cursor().shape(), step.cursor);
            EXPECT_EQ(static_cast<int>(opener.opened.size()), step.opened);
        }
        QTest::mouseMove(link, outside); // so the next dialog does not open under the pointer
        dialog.reset();
        store.values.clear();
    }
}

TEST_F(AboutDialogTest, ReleaseInsideOpensTheTargetOnceAndEscapeStoresBothFlags)
{
    {
        auto dialog = open();
        QTest::mouseClick(dialog->webLink(), Qt::LeftButton, {}, centreOf(dialog->webLink()));
        ASSERT_EQ(opener.opened.size(), 1u);
        EXPECT_EQ(opener.opened[0], "https://www.example.org/orbit-patrol/");
        EXPECT_TRUE(hasPixel(dialog->webLink()->grab().toImage(), qRgb(85, 26, 139)));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "1");
    EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "0");

    // Reopened: the followed link is purple, the other still blue.
    auto again = open();
    EXPECT_TRUE(again->webLink()->isVisited());
    EXPECT_EQ(again->webLink()->textColour(), QColor(85, 26, 139));
    EXPECT_FALSE(again->emailLink()->isVisited());
    EXPECT_EQ(again->emailLink()->textColour(), QColor(0, 0, 255));
}

TEST_F(AboutDialogTest, EmailLinkOpensAMailtoAndBothFlagsAreWrittenOnEveryClose)
{
    store.values["Options/VisitedHTTPSyte"] = "7"; // any non-zero number means visited
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const int before = store.writes;
        auto dialog = open();
        EXPECT_TRUE(dialog->webLink()->isVisited());
        if (run == 0) {
            QTest::mouseClick(dialog->emailLink(), Qt::LeftButton, {}, centreOf(dialog->emailLink()));
            ASSERT_EQ(opener.opened.size(), 1u);
            EXPECT_EQ(opener.opened[0], "mailto:orbit-patrol@example.org?subject=Orbit%20Patrol");
            dialog->close();
        } else {
            dialog->accept();
        }
        dialog.reset();
        EXPECT_EQ(store.writes - before, 2);
        EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "1");
        EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "1");
    }
}

TEST_F(AboutDialogTest, PictureIsStretchedUnderTransparentLabelsAndMayBeMissing)
{
    auto dialog = open();
    ASSERT_TRUE(dialog->hasPicture());
    const QImage shot = dialog->grab().toImage();
    const int w = shot.width();
    const int h = shot.height();
    // The 35 x 20 picture splits at x 16 and y 10: scaled, at 16/35 and 1/2.
    const std::tuple<int, int, QRgb> probes[] = {
        {3, 3, qRgb(230, 20, 20)}, {w - 3, 3, qRgb(20, 200, 20)}, {w * 16 / 35 - 3, h / 2 - 3, qRgb(230, 20, 20)},
        {w * 16 / 35 + 3, h / 2 - 3, qRgb(20, 200, 20)}, {3, h / 2 + 3, qRgb(20, 20, 230)}};
    for (const auto& [x, y, colour] : probes)
        EXPECT_TRUE(test::nearColour(shot.pixel(x, y), colour, 12)) << x << "," << y;
    for (int id : {1021, 1022, 1023, 1024}) {
        auto* label = qobject_cast<QLabel*>(dialog->control(id));
        ASSERT_NE(label, nullptr) << id;
        EXPECT_FALSE(label->autoFillBackground()) << id;
    }

    MemoryResources bare;
    AboutDialog plain(store, bare, opener, notifier);
    EXPECT_FALSE(plain.hasPicture());
    plain.show();
    QTest::mouseClick(plain.webLink(), Qt::LeftButton, {}, centreOf(plain.webLink()));
    EXPECT_EQ(opener.opened.size(), 1u);
}

TEST_F(AboutDialogTest, AuthorLineIsReadOnlyAndShowsAllOfItsText)
{
    auto dialog = open();
    TransparentEdit* author = dialog->authorEdit();
    ASSERT_NE(author, nullptr);
    EXPECT_EQ(author->text().toStdString(), AboutDialog::authorLine);
    EXPECT_TRUE(author->isReadOnly());
    EXPECT_EQ(author->cursor().shape(), Qt::IBeamCursor);
    // Fitted: narrower than its template box, yet with the cursor at either
    // end the whole text shows (a line edit too narrow scrolls part away).
    EXPECT_LT(author->width(), dialog->control(1021)->width());
    const int textInk = test::textInkWidth(author->text(), author->font());
    for (int position : {0, static_cast<int>(author->text().size())}) {
        author->setCursorPosition(position);
        // grab() paints the palette's window colour behind the text.
        const QImage shot = author->grab().toImage();
        const QRect ink = test::inkBounds(shot, shot.pixel(0, 0));
        EXPECT_NEAR(ink.width(), textInk, 1) << position;
        EXPECT_GE(ink.left(), 0);
        EXPECT_LT(ink.right(), author->width());
    }
    // Typing changes nothing.
    author->setFocus();
    QTest::keyClicks(author, "x");
    EXPECT_EQ(author->text().toStdString(), AboutDialog::authorLine);
}

TEST_F(AboutDialogTest, CubeButtonWithoutGlReportsOnceKeepsItsCursorsAndStillCloses)
{
    auto dialog = open();
    CubeButton* cube = dialog->cubeButton();
    ASSERT_NE(cube, nullptr);
    EXPECT_FALSE(cube->hasGl());
    EXPECT_FALSE(cube->isAnimating());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_TRUE(cube->isDefault());

    const QPoint inside = cube->rect().center();
    const QPoint outside(-20, inside.y());
    QTest::mouseMove(cube, inside);
    EXPECT_EQ(cube->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(cube, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(cube->isPointerPressed());
    EXPECT_TRUE(cube->isDown());
    QTest::mouseMove(cube, outside);
    EXPECT_EQ(cube->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(cube->isPointerPressed()); // the grab keeps the pressed state
    QTest::mouseRelease(cube, Qt::LeftButton, {}, outside);
    EXPECT_FALSE(cube->isPointerPressed());
    EXPECT_TRUE(dialog->isVisible()); // releasing outside is no click

    QTest::mouseClick(cube, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

} // namespace
} // namespace orbit
