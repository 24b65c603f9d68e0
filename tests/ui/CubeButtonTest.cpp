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

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(colourA));
        painter.fillRect(QRect(buttonX + splitX, 0, width(), height()), QColor(colourB));
        painter.fillRect(QRect(0, 0, width(), buttonY + bandY), QColor(colourC));
    }
};

bool near(QRgb pixel, QRgb want, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(want)) <= tolerance && std::abs(qGreen(pixel) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(want)) <= tolerance;
}

// Fixed-function lighting of the background quad: material 1, global ambient
// 0.2, light ambient 0.7, diffuse 0.8 straight on sum to 1.7, clamped to 1
// before the texture modulates it: the snapshot shows unchanged.
QRgb lit(QRgb colour)
{
    const double light = std::min(1.0, 0.2 + 0.7 + 0.8);
    auto channel = [light](int v) { return static_cast<int>(std::lround(v * light)); };
    return qRgb(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)));
}

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
                matching += near(pixelAt(i), want, 2) ? 1 : 0;
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

TEST_F(CubeButtonTest, FirstDrawingTurnsTheCubeToTwoNineteenTen)
{
    EXPECT_TRUE(button->lastPicture().isNull());
    draw();
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{2, 19, 10}));
}

TEST_F(CubeButtonTest, EveryDrawingAddsOneNineAndFiveDegrees)
{
    QImage previous = draw();
    for (int drawing = 2; drawing <= 6; ++drawing) {
        const auto before = button->anglesDeg();
        const QImage picture = draw();
        const auto after = button->anglesDeg();
        EXPECT_EQ(after[0] - before[0], 1);
        EXPECT_EQ(after[1] - before[1], 9);
        EXPECT_EQ(after[2] - before[2], 5);
        EXPECT_NE(picture, previous) << "the cube must look turned at drawing " << drawing;
        previous = picture;
    }
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{7, 64, 35})); // six steps from 1, 10, 5
}

TEST_F(CubeButtonTest, RaisedFrameIsLightTopLeftAndDarkBottomRight)
{
    const QImage picture = draw();
    ASSERT_EQ(picture.size(), QSize(93, 86));
    expectFrame(picture, highlight(), shadow());
}

TEST_F(CubeButtonTest, BackgroundIsTheLitSnapshotAndTheCubeCoversTheMiddle)
{
    const QImage first = draw();
    // Just inside the frame, top left: band colour; below it colour a; at the
    // right of the split colour b. The cube never reaches these corners.
    EXPECT_TRUE(near(first.pixel(3, 2), lit(colourC), 4)) << std::hex << first.pixel(3, 2);
    EXPECT_TRUE(near(first.pixel(3, 20), lit(colourA), 4)) << std::hex << first.pixel(3, 20);
    EXPECT_TRUE(near(first.pixel(88, 20), lit(colourB), 4)) << std::hex << first.pixel(88, 20);
    // Where the cube is, the picture is neither background colour.
    const QRgb middle = first.pixel(46, 43);
    EXPECT_FALSE(near(middle, lit(colourA), 10));
    EXPECT_FALSE(near(middle, lit(colourB), 10));
    // The snapshot was taken once: repainting the parent differently later
    // does not change the background.
    parent->setPalette(QPalette(Qt::white));
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

TEST_F(CubeButtonTest, DoubleClickCountsAsTwoClicks)
{
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    QSignalSpy clicks(button, &QPushButton::clicked);
    const QPoint centre = button->rect().center();
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
    // QTest's double click is a press followed by the double-click event.
    QTest::mouseDClick(button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(CubeButtonTest, AnimationRunsOnlyWhileShown)
{
    button->setAnimationPeriod(10);
    EXPECT_FALSE(button->isAnimating());
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    EXPECT_TRUE(button->isAnimating());
    const double startX = button->anglesDeg()[0];
    ASSERT_TRUE(test::waitUntil([&] { return button->anglesDeg()[0] >= startX + 5; }, 3000));
    parent->hide();
    EXPECT_FALSE(button->isAnimating());
}

TEST_F(CubeButtonTest, MissingCubeTextureStillDrawsTheCube)
{
    EXPECT_TRUE(notifier.messages.empty());
    const QImage picture = draw();
    EXPECT_FALSE(near(picture.pixel(46, 43), lit(colourA), 10));
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
