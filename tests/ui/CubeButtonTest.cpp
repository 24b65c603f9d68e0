// The cube button's GL picture under X11: a one-device-pixel frame, raised or
// sunken, around the lit background snapshot; a cube that turns by 1, 9 and 5
// degrees per drawing; the picture shifted while down; the animation only
// while shown, and a double-click counted as two clicks.
#include "ui/CubeButton.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/UserNotifier.h"
#include "tests/support/TestDoubles.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <vector>

namespace orbit {
namespace {

using test::nearColour;

// The dialog behind the button: colour a, split to b at button x 40, and a
// top band of c above button y 6.
constexpr QRgb colourA = qRgb(100, 20, 20), colourB = qRgb(20, 20, 100), colourC = qRgb(20, 100, 20);

class PatternParent final : public QWidget {
public:
    QRgb left = colourA;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(left));
        painter.fillRect(QRect(70, 0, width(), height()), QColor(colourB));
        painter.fillRect(QRect(0, 0, width(), 26), QColor(colourC));
    }
};

class CubeButtonTest : public test::QtTest {
protected:
    void SetUp() override
    {
        test::QtTest::SetUp();
        if (IsSkipped())
            return;
        parent.resize(200, 160);
        button = new CubeButton(resources, notifier, &parent);
        button->setGeometry(30, 20, 93, 86);
        ASSERT_TRUE(button->setUpGl()) << (notifier.messages.empty() ? "" : notifier.messages[0].text);
    }

    // What the button puts on screen: one picture pixel per device pixel.
    QImage shown()
    {
        const QImage shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shot.size(), (QSizeF(93, 86) * button->devicePixelRatio()).toSize());
        EXPECT_EQ(button->lastPicture().size(), shot.size());
        return shot;
    }

    // Widths of the top, left, bottom and right frame edges: at each position
    // along an edge the run of its colour going inwards; the median shrugs
    // off the cube crossing the edge. Light on the top left when raised.
    std::vector<int> frameWidths(const QImage& p, bool raised) const
    {
        const QRgb light = button->palette().color(QPalette::Light).rgb();
        const QRgb dark = button->palette().color(QPalette::Dark).rgb();
        const QRgb topLeft = raised ? light : dark, bottomRight = raised ? dark : light;
        const int w = p.width(), h = p.height();
        auto edge = [&](QRgb colour, auto pixelAt, int along, int inward) {
            std::vector<int> widths;
            for (int i = along / 8; i < along - along / 8; ++i) {
                int width = 0;
                while (width < inward && nearColour(pixelAt(i, width), colour, 2))
                    ++width;
                widths.push_back(width);
            }
            std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
            return widths[widths.size() / 2];
        };
        return {edge(topLeft, [&](int i, int d) { return p.pixel(i, d); }, w, h),
                edge(topLeft, [&](int i, int d) { return p.pixel(d, i); }, h, w),
                edge(bottomRight, [&](int i, int d) { return p.pixel(i, h - 1 - d); }, w, h),
                edge(bottomRight, [&](int i, int d) { return p.pixel(w - 1 - d, i); }, h, w)};
    }

    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    PatternParent parent;
    CubeButton* button = nullptr;
};

// Run once more at QT_SCALE_FACTOR=2 (see CMakeLists.txt): each frame edge is
// one device pixel wide at any scale.
TEST_F(CubeButtonTest, SharpFrameAroundTheSnapshotAndACubeThatTurnsEveryDrawing)
{
    EXPECT_TRUE(button->lastPicture().isNull());
    const QImage first = shown();
    const int scale = qRound(button->devicePixelRatio());
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{2, 19, 10})); // one step from 1, 10, 5
    EXPECT_EQ(frameWidths(first, true), (std::vector<int>{1, 1, 1, 1}));
    // The light on the background quad saturates, so the snapshot shows with
    // its own colours where the cube never reaches.
    const std::tuple<int, int, QRgb> probes[] = {{3, 2, colourC}, {3, 20, colourA}, {88, 20, colourB}};
    for (const auto& [x, y, colour] : probes)
        EXPECT_TRUE(nearColour(first.pixel(x * scale, y * scale), colour, 4)) << x << "," << y;
    EXPECT_FALSE(nearColour(first.pixel(46 * scale, 43 * scale), colourA, 10)); // the cube
    // The snapshot is taken once: a later change behind the button does not show.
    parent.left = qRgb(255, 255, 255);
    parent.update();
    QImage previous = first;
    for (int drawing = 2; drawing <= 6; ++drawing) {
        const QImage picture = shown();
        EXPECT_NE(picture, previous) << "the cube must look turned at drawing " << drawing;
        EXPECT_EQ(picture.pixel(3 * scale, 20 * scale), first.pixel(3 * scale, 20 * scale));
        previous = picture;
    }
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{7, 64, 35}));
}

TEST_F(CubeButtonTest, PressedFrameIsSunkenAndThePictureShiftsRightAndDown)
{
    // Column of the a-to-b split on row 12, and row of the c-to-a edge on column 4.
    auto edges = [](const QImage& p) {
        QPoint found(-1, -1);
        for (int x = p.width() - 2; x > 0; --x)
            found.rx() = qBlue(p.pixel(x, 12)) > qRed(p.pixel(x, 12)) ? x : found.x();
        for (int y = p.height() - 2; y > 0; --y)
            found.ry() = qRed(p.pixel(4, y)) > qGreen(p.pixel(4, y)) ? y : found.y();
        return found;
    };
    const QPoint up = edges(shown());
    button->setDown(true);
    const QImage down = shown();
    EXPECT_EQ(frameWidths(down, false), (std::vector<int>{1, 1, 1, 1}));
    // 6 pixels at the near plane are about one at the background's depth.
    const QPoint shift = edges(down) - up;
    ASSERT_GT(up.x(), 0);
    ASSERT_GT(up.y(), 0);
    EXPECT_TRUE(shift.x() >= 1 && shift.x() <= 2 && shift.y() >= 1 && shift.y() <= 2) << shift.x() << "," << shift.y();
    button->setDown(false);
    EXPECT_EQ(frameWidths(shown(), true), (std::vector<int>{1, 1, 1, 1}));
}

TEST_F(CubeButtonTest, AnimatesOnlyWhileShownAndCountsADoubleClickAsTwoClicks)
{
    button->setAnimationPeriod(10);
    EXPECT_FALSE(button->isAnimating());
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const double startX = button->anglesDeg()[0];
    ASSERT_TRUE(test::waitUntil([&] { return button->anglesDeg()[0] >= startX + 5; }, 3000));
    QSignalSpy clicks(button, &QPushButton::clicked);
    const QPoint centre = button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, centre);
    QTest::mouseDClick(button, Qt::LeftButton, {}, centre); // a press, then the double-click event
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicks.count(), 2);
    parent.hide();
    EXPECT_FALSE(button->isAnimating());
}

} // namespace
} // namespace orbit
