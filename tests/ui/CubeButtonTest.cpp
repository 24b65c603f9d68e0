// The cube button's GL picture under X11 (the offscreen platform has no GL):
// frame colours on the edges, the lit background snapshot, a cube that turns
// by 1, 9 and 5 degrees per drawing, the sunken frame and shifted picture
// while down, clicks, the animation timer, and the About box closing on a click.
#include "ui/CubeButton.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "ui/AboutDialog.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace orbit {
namespace {

// The dialog pixels behind the button: colour a with a vertical split to b at
// splitX and a top band of colour c above bandY (button coordinates). Every
// channel differs enough to find the edges in the button's picture.
constexpr QRgb colourA = qRgb(100, 20, 20);
constexpr QRgb colourB = qRgb(20, 20, 100);
constexpr QRgb colourC = qRgb(20, 100, 20);
constexpr int buttonX = 30;
constexpr int buttonY = 20;
constexpr int splitX = 40;
constexpr int bandY = 6;

class PatternParent final : public QWidget {
public:
    PatternParent() { resize(200, 160); }
    QRgb left = colourA;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(left));
        painter.fillRect(QRect(buttonX + splitX, 0, width(), height()), QColor(colourB));
        painter.fillRect(QRect(0, 0, width(), buttonY + bandY), QColor(colourC));
    }
};

using test::nearColour;

class CubeButtonTest : public test::QtTest {
protected:
    void SetUp() override
    {
        test::QtTest::SetUp();
        if (IsSkipped())
            return;
        parent = std::make_unique<PatternParent>();
        button = new CubeButton(resources, notifier, parent.get());
        button->setGeometry(buttonX, buttonY, 93, 86);
        ASSERT_TRUE(button->setUpGl()) << (notifier.messages.empty() ? "" : notifier.messages[0].text);
    }

    QImage draw()
    {
        (void)button->grab();
        return button->lastPicture().convertToFormat(QImage::Format_RGB32);
    }

    QRgb highlight() const { return button->palette().color(QPalette::Light).rgb(); }
    QRgb shadow() const { return button->palette().color(QPalette::Dark).rgb(); }

    // The cube is drawn after the frame and may cross an edge at some
    // angles, so each edge must hold its colour on at least 80 % of its pixels
    // (the opposite colour would match none).
    void expectFrame(const QImage& picture, QRgb topLeft, QRgb bottomRight)
    {
        const int w = picture.width();
        const int h = picture.height();
        auto share = [&](int count, auto pixelAt, QRgb want) {
            int matching = 0;
            for (int i = 0; i < count; ++i)
                matching += nearColour(pixelAt(i), want, 2) ? 1 : 0;
            return static_cast<double>(matching) / count;
        };
        EXPECT_GE(share(w - 1, [&](int x) { return picture.pixel(x, 0); }, topLeft), 0.8) << "top";
        EXPECT_GE(share(h - 1, [&](int y) { return picture.pixel(0, y); }, topLeft), 0.8) << "left";
        EXPECT_GE(share(w, [&](int x) { return picture.pixel(x, h - 1); }, bottomRight), 0.8) << "bottom";
        EXPECT_GE(share(h, [&](int y) { return picture.pixel(w - 1, y); }, bottomRight), 0.8) << "right";
    }

    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    std::unique_ptr<PatternParent> parent;
    CubeButton* button = nullptr;
};

TEST_F(CubeButtonTest, EveryDrawingTurnsTheCubeByOneNineAndFiveDegrees)
{
    EXPECT_TRUE(button->lastPicture().isNull());
    QImage previous = draw();
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{2, 19, 10})); // one step from 1, 10, 5
    for (int drawing = 2; drawing <= 6; ++drawing) {
        const QImage picture = draw();
        EXPECT_NE(picture, previous) << "the cube must look turned at drawing " << drawing;
        previous = picture;
    }
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{7, 64, 35}));
}

TEST_F(CubeButtonTest, RaisedFrameAroundTheLitSnapshotAndTheCubeInTheMiddle)
{
    const QImage first = draw();
    ASSERT_EQ(first.size(), QSize(93, 86));
    expectFrame(first, highlight(), shadow());
    // Just inside the frame, top left: band colour; below it colour a; at the
    // right of the split colour b. The cube never reaches these corners. The
    // light on the background quad (ambient 0.2 + 0.7, diffuse 0.8 straight
    // on) saturates, so the snapshot shows with its own colours.
    EXPECT_TRUE(nearColour(first.pixel(3, 2), colourC, 4)) << std::hex << first.pixel(3, 2);
    EXPECT_TRUE(nearColour(first.pixel(3, 20), colourA, 4)) << std::hex << first.pixel(3, 20);
    EXPECT_TRUE(nearColour(first.pixel(88, 20), colourB, 4)) << std::hex << first.pixel(88, 20);
    // Where the cube is, the picture is neither background colour.
    const QRgb middle = first.pixel(46, 43);
    EXPECT_FALSE(nearColour(middle, colourA, 10));
    EXPECT_FALSE(nearColour(middle, colourB, 10));
    // The snapshot was taken once: repainting the parent differently later
    // does not change the background.
    parent->left = qRgb(255, 255, 255);
    parent->update();
    const QImage second = draw();
    EXPECT_EQ(second.pixel(3, 20), first.pixel(3, 20));
}

// Column of the a-to-b split on row y, and row of the c-to-a edge on column x.
int splitColumn(const QImage& picture, int y)
{
    for (int x = 1; x < picture.width() - 1; ++x) {
        if (qBlue(picture.pixel(x, y)) > qRed(picture.pixel(x, y)))
            return x;
    }
    return -1;
}
int bandEdgeRow(const QImage& picture, int x)
{
    for (int y = 1; y < picture.height() - 1; ++y) {
        if (qRed(picture.pixel(x, y)) > qGreen(picture.pixel(x, y)))
            return y;
    }
    return -1;
}

TEST_F(CubeButtonTest, PressedFrameIsSunkenAndThePictureShiftsRightAndDown)
{
    const QImage up = draw();
    button->setDown(true);
    const QImage down = draw();
    expectFrame(down, shadow(), highlight());
    // The background moves 6 pixels at the near plane, about one pixel at its
    // depth; the frame stays where it is.
    const int upSplit = splitColumn(up, 12);
    const int downSplit = splitColumn(down, 12);
    ASSERT_GT(upSplit, 0);
    EXPECT_GE(downSplit - upSplit, 1);
    EXPECT_LE(downSplit - upSplit, 2);
    const int upEdge = bandEdgeRow(up, 4);
    const int downEdge = bandEdgeRow(down, 4);
    ASSERT_GT(upEdge, 0);
    EXPECT_GE(downEdge - upEdge, 1);
    EXPECT_LE(downEdge - upEdge, 2);

    button->setDown(false);
    expectFrame(draw(), highlight(), shadow());
}

TEST_F(CubeButtonTest, AnimatesOnlyWhileShownAndCountsADoubleClickAsTwoClicks)
{
    button->setAnimationPeriod(10);
    EXPECT_FALSE(button->isAnimating());
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    EXPECT_TRUE(button->isAnimating());
    const double startX = button->anglesDeg()[0];
    ASSERT_TRUE(test::waitUntil([&] { return button->anglesDeg()[0] >= startX + 5; }, 3000));

    QSignalSpy clicks(button, &QPushButton::clicked);
    const QPoint centre = button->rect().center();
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
    // QTest's double click is a press followed by the double-click event.
    QTest::mouseDClick(button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicks.count(), 2);

    parent->hide();
    EXPECT_FALSE(button->isAnimating());
}

class AboutBoxCubeTest : public test::QtTest {};

TEST_F(AboutBoxCubeTest, ClickOnTheSpinningCubeClosesTheBox)
{
    MemorySettingsStore store;
    MemoryResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier;
    AboutDialog about(store, resources, opener, notifier);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    CubeButton* cube = about.cubeButton();
    ASSERT_TRUE(cube->hasGl());
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(cube->isAnimating());
    const double startY = cube->anglesDeg()[1];
    ASSERT_TRUE(test::waitUntil([&] { return cube->anglesDeg()[1] > startY + 18; }, 3000));
    QTest::mouseClick(cube, Qt::LeftButton, {}, cube->rect().center());
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(cube->isAnimating());
}

} // namespace
} // namespace orbit
