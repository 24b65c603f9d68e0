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
    for (HyperLinkLabel* link : {dialog->emailLink(), dialog->webLink()}) {
        ASSERT_NE(link, nullptr);
        SCOPED_TRACE(link->text().toStdString());
        EXPECT_FALSE(link->isVisited());
        EXPECT_EQ(link->textColour(), QColor(0, 0, 255));
        EXPECT_TRUE(link->font().underline());
        const QFontMetrics metrics(link->font());
        EXPECT_EQ(link->size(), QSize(metrics.horizontalAdvance(link->text()), metrics.height()));
        // The underline is drawn in the link colour itself.
        EXPECT_TRUE(hasPixel(link->grab().toImage(), qRgb(0, 0, 255)));
    }
    EXPECT_EQ(dialog->emailLink()->text(), "orbit-patrol@example.org");
    EXPECT_EQ(dialog->webLink()->text(), "https://www.example.org/");
}

TEST_F(AboutDialogTest, ClickBesideTheLinkTextDoesNotReachTheLink)
{
    auto dialog = open();
    HyperLinkLabel* web = dialog->webLink();
    const QPoint beside = web->geometry().topRight() + QPoint(4, web->height() / 2);
    ASSERT_LT(beside.x(), dialog->width());
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, beside);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_FALSE(web->isVisited());
}

// Each step: what the pointer does, then the colour, cursor and state expected.
enum class Step { MoveIn, Press, DragOut, DragBackIn, ReleaseOutside, ReleaseInside, MoveOut };
struct StepExpectation {
    Step step;
    QRgb colour;
    Qt::CursorShape cursor; // with no cursor resources the hands are Qt's pointing hand
    int opened;
};
struct LinkScript {
    const char* name;
    std::vector<StepExpectation> steps;
};

class LinkColours : public AboutDialogTest, public ::testing::WithParamInterface<LinkScript> {};

TEST_P(LinkColours, FollowThePointerAndButton)
{
    auto dialog = open();
    HyperLinkLabel* link = dialog->webLink();
    const QPoint inside = centreOf(link);
    const QPoint outside(link->width() + 30, link->height() / 2);
    int moves = 0;
    for (const StepExpectation& expect : GetParam().steps) {
        SCOPED_TRACE(static_cast<int>(expect.step));
        switch (expect.step) {
        case Step::MoveIn:
        case Step::DragBackIn:
            // A move must change the position, or no event is delivered.
            QTest::mouseMove(link, inside + QPoint(++moves % 2, 0));
            break;
        case Step::Press:
            QTest::mousePress(link, Qt::LeftButton, {}, inside);
            break;
        case Step::DragOut:
        case Step::MoveOut:
            QTest::mouseMove(link, outside);
            break;
        case Step::ReleaseOutside:
            QTest::mouseRelease(link, Qt::LeftButton, {}, outside);
            break;
        case Step::ReleaseInside:
            QTest::mouseRelease(link, Qt::LeftButton, {}, inside);
            break;
        }
        EXPECT_EQ(link->textColour(), QColor(expect.colour));
        EXPECT_EQ(link->cursor().shape(), expect.cursor);
        EXPECT_EQ(static_cast<int>(opener.opened.size()), expect.opened);
    }
}

constexpr QRgb blue = HyperLinkLabel::normalColour;
constexpr QRgb hover = HyperLinkLabel::hoverColour;
constexpr QRgb red = HyperLinkLabel::pressedColour;
constexpr QRgb purple = HyperLinkLabel::visitedColour;
constexpr Qt::CursorShape hand = Qt::PointingHandCursor;
constexpr Qt::CursorShape arrow = Qt::ArrowCursor;

INSTANTIATE_TEST_SUITE_P(
    Scripts, LinkColours,
    ::testing::Values(
        LinkScript{"HoverThenLeave", {{Step::MoveIn, hover, hand, 0}, {Step::MoveOut, blue, arrow, 0}}},
        LinkScript{"ClickInside",
                   {{Step::MoveIn, hover, hand, 0},
                    {Step::Press, red, hand, 0},
                    {Step::ReleaseInside, purple, hand, 1},
                    {Step::MoveIn, hover, hand, 1},
                    {Step::MoveOut, purple, arrow, 1}}},
        LinkScript{"DragOutKeepsRedAndReleaseOutsideOpensNothing",
                   {{Step::MoveIn, hover, hand, 0},
                    {Step::Press, red, hand, 0},
                    {Step::DragOut, red, arrow, 0},
                    {Step::ReleaseOutside, blue, arrow, 0}}},
        LinkScript{"DragOutAndBackThenReleaseOpens",
                   {{Step::Press, red, hand, 0},
                    {Step::DragOut, red, arrow, 0},
                    {Step::DragBackIn, red, hand, 0},
                    {Step::ReleaseInside, purple, hand, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AboutDialogTest, ReleaseInsideOpensTheTargetOnceAndEscapeStoresBothFlags)
{
    {
        auto dialog = open();
        QTest::mouseClick(dialog->webLink(), Qt::LeftButton, {}, centreOf(dialog->webLink()));
        ASSERT_EQ(opener.opened.size(), 1u);
        EXPECT_EQ(opener.opened[0], AboutDialog::webTarget);
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

TEST_F(AboutDialogTest, EmailLinkOpensAMailtoWithTheProductAsSubject)
{
    auto dialog = open();
    QTest::mouseClick(dialog->emailLink(), Qt::LeftButton, {}, centreOf(dialog->emailLink()));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], "mailto:orbit-patrol@example.org?subject=Orbit%20Patrol");
    dialog.reset();
    EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "0");
    EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "1");
}

TEST_F(AboutDialogTest, FlagsAreWrittenOnEveryCloseEvenUnchanged)
{
    store.values["Options/VisitedHTTPSyte"] = "7"; // any non-zero number means visited
    for (int run = 0; run < 2; ++run) {
        const int before = store.writes;
        auto dialog = open();
        EXPECT_TRUE(dialog->webLink()->isVisited());
        if (run == 0)
            dialog->close();
        else
            dialog->accept();
        dialog.reset();
        EXPECT_EQ(store.writes - before, 2);
        EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "1");
        EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "0");
    }
}

TEST_F(AboutDialogTest, PictureIsStretchedOverTheWholeClientArea)
{
    auto dialog = open();
    ASSERT_TRUE(dialog->hasPicture());
    const QImage shot = dialog->grab().toImage();
    const int w = shot.width();
    const int h = shot.height();
    auto near = [](QRgb pixel, QRgb want) {
        return std::abs(qRed(pixel) - qRed(want)) <= 12 && std::abs(qGreen(pixel) - qGreen(want)) <= 12 &&
               std::abs(qBlue(pixel) - qBlue(want)) <= 12;
    };
    // The 35 x 20 picture splits at x 16 and y 10: scaled, at 16/35 and 1/2.
    EXPECT_TRUE(near(shot.pixel(3, 3), qRgb(230, 20, 20)));
    EXPECT_TRUE(near(shot.pixel(w - 3, 3), qRgb(20, 200, 20)));
    EXPECT_TRUE(near(shot.pixel(w * 16 / 35 - 3, h / 2 - 3), qRgb(230, 20, 20)));
    EXPECT_TRUE(near(shot.pixel(w * 16 / 35 + 3, h / 2 - 3), qRgb(20, 200, 20)));
    EXPECT_TRUE(near(shot.pixel(3, h / 2 + 3), qRgb(20, 20, 230)));
}

TEST_F(AboutDialogTest, MissingPictureLeavesAWorkingDialog)
{
    MemoryResources bare;
    AboutDialog dialog(store, bare, opener, notifier);
    EXPECT_FALSE(dialog.hasPicture());
    dialog.show();
    QTest::mouseClick(dialog.webLink(), Qt::LeftButton, {}, centreOf(dialog.webLink()));
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

TEST_F(AboutDialogTest, LabelsAreTransparentSoThePictureShowsBetweenLetters)
{
    auto dialog = open();
    for (int id : {1021, 1022, 1023, 1024}) {
        auto* label = qobject_cast<QLabel*>(dialog->control(id));
        ASSERT_NE(label, nullptr) << id;
        EXPECT_FALSE(label->autoFillBackground()) << id;
    }
    EXPECT_EQ(qobject_cast<QLabel*>(dialog->control(1022))->text(), "Written by");
}

TEST_F(AboutDialogTest, CubeButtonWithoutGlReportsOnceAndStillCloses)
{
    auto dialog = open();
    CubeButton* cube = dialog->cubeButton();
    ASSERT_NE(cube, nullptr);
    EXPECT_FALSE(cube->hasGl());
    EXPECT_FALSE(cube->isAnimating());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_TRUE(cube->isDefault());
    QTest::mouseClick(cube, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(AboutDialogTest, CubeButtonCursorsFollowPressAndDrag)
{
    auto dialog = open();
    CubeButton* cube = dialog->cubeButton();
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
}

} // namespace
} // namespace orbit
