// The About box on the offscreen platform (no GL for the cube button): the
// stretched picture, its text whole, the read-only author, the links'
// colours, cursors, targets and visited flags (non-zero reads as visited;
// written back when the box goes), and the cube button's no-GL path.
#include "ui/AboutDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"
#include "ui/CubeButton.h"
#include "ui/HyperLinkLabel.h"
#include "ui/TransparentEdit.h"

#include <QFontMetrics>
#include <QTest>

#include <memory>

namespace orbit {
namespace {

constexpr QRgb blue = qRgb(0, 0, 255), hover = qRgb(64, 64, 255);
constexpr QRgb red = qRgb(255, 0, 0), purple = qRgb(85, 26, 139);

class AboutDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto picture = test::readFileBytes(ORBIT_TEST_DATA_DIR "/ui/quadrants-35x20.jpg");
        resources.add("Jpg", AboutDialog::pictureId, picture);
    }

    MemorySettingsStore store;
    MemoryResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier{"orbit-patrol"};
};

TEST_F(AboutDialogTest, PictureTextLinksAndTheCubeButtonWithoutGl)
{
    store.values = {{"Options/VisitedHTTPSyte", "0"}, {"Options/VisitedEmailSyte", "7"}};
    auto dialog = std::make_unique<AboutDialog>(store, resources, opener, notifier);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    // The 35 x 20 picture (red, green / blue quadrants split at x 16, y 10),
    // stretched top-down over the whole box.
    const QImage shot = dialog->grab().toImage();
    const int w = shot.width(), h = shot.height();
    const std::tuple<int, int, QRgb> probes[] = {{w * 16 / 35 - 3, h / 2 - 3, qRgb(230, 20, 20)},
        {w * 16 / 35 + 3, h / 2 - 3, qRgb(20, 200, 20)}, {3, h / 2 + 3, qRgb(20, 20, 230)}};
    for (const auto& [x, y, colour] : probes)
        EXPECT_TRUE(test::nearColour(shot.pixel(x, y), colour, 12)) << x << "," << y;
    test::expectTextWhole(*dialog, "about-box");
    TransparentEdit* author = dialog->authorEdit();
    author->setFocus();
    QTest::keyClicks(author, "x");
    EXPECT_EQ(author->text().toStdString(), AboutDialog::authorLine);
    EXPECT_EQ(dialog->emailLink()->textColour(), QColor(purple));
    EXPECT_EQ(dialog->webLink()->textColour(), QColor(blue));
    HyperLinkLabel* web = dialog->webLink(); // sized to its text: a click beside it misses it
    const QFontMetrics metrics(web->font());
    EXPECT_TRUE(web->font().underline());
    EXPECT_EQ(web->size(), QSize(metrics.horizontalAdvance(web->text()), metrics.height()));
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, web->geometry().topRight() + QPoint(4, 2));
    EXPECT_TRUE(opener.opened.empty());
    QTest::mouseClick(dialog->emailLink(), Qt::LeftButton, {}, dialog->emailLink()->rect().center());
    EXPECT_EQ(opener.opened.at(0), "mailto:orbit-patrol@example.org?subject=Orbit%20Patrol");
    // The cube button without GL reports once, keeps its cursors and still closes.
    CubeButton* cube = dialog->cubeButton();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
    const QPoint inside = cube->rect().center();
    const QPoint outside(-20, inside.y());
    QTest::mouseMove(cube, inside);
    EXPECT_EQ(cube->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(cube, Qt::LeftButton, {}, inside);
    QTest::mouseMove(cube, outside);
    EXPECT_EQ(cube->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseRelease(cube, Qt::LeftButton, {}, outside);
    EXPECT_TRUE(dialog->isVisible()); // releasing outside is no click
    QTest::mouseClick(cube, Qt::LeftButton, {}, inside);
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "0");
    EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "1");
}

// i move in, p press, o move out, I release inside, O release outside: a
// press shows red until the release, which opens the target only inside.
TEST_F(AboutDialogTest, LinkColourAndCursorFollowThePointerAndButton)
{
    constexpr Qt::CursorShape hand = Qt::PointingHandCursor, arrow = Qt::ArrowCursor;
    const std::tuple<char, QRgb, Qt::CursorShape, std::size_t> script[] = {
        {'p', red, hand, 0}, {'o', red, arrow, 0}, {'i', red, hand, 0}, {'I', purple, hand, 1},
        {'i', hover, hand, 1}, {'o', purple, arrow, 1}, {'i', hover, hand, 1}, {'p', red, hand, 1},
        {'o', red, arrow, 1}, {'O', purple, arrow, 1},
    };
    auto dialog = std::make_unique<AboutDialog>(store, resources, opener, notifier);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    HyperLinkLabel* link = dialog->webLink();
    const QPoint inside = link->rect().center();
    const QPoint outside(link->width() + 30, link->height() / 2);
    int step = 0;
    int moves = 0;
    for (const auto& [action, colour, cursor, opened] : script) {
        SCOPED_TRACE(testing::Message() << "step " << ++step << ": " << action);
        if (action == 'i') // a move must change the position, or no event is delivered
            QTest::mouseMove(link, inside + QPoint(++moves % 2, 0));
        else if (action == 'o')
            QTest::mouseMove(link, outside);
        else if (action == 'p')
            QTest::mousePress(link, Qt::LeftButton, {}, inside);
        else
            QTest::mouseRelease(link, Qt::LeftButton, {}, action == 'I' ? inside : outside);
        EXPECT_EQ(link->textColour(), QColor(colour));
        EXPECT_EQ(link->cursor().shape(), cursor);
        EXPECT_EQ(opener.opened.size(), opened);
    }
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"https://www.example.org/orbit-patrol/"}));
    dialog.reset();
    EXPECT_EQ(store.values["Options/VisitedHTTPSyte"], "1");
    EXPECT_EQ(store.values["Options/VisitedEmailSyte"], "0");
}

} // namespace
} // namespace orbit
