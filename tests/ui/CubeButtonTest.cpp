// The cube button's GL picture under X11: a frame one device pixel wide,
// raised, or sunken with the picture shifted while down, around the lit
// background snapshot; a cube that turns by 1, 9 and 5 degrees per drawing;
// the animation only while shown. Its click is checked in the About box.
#include "ui/CubeButton.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"

#include <QPainter>
#include <QTest>

namespace orbit {
namespace {

// The dialog behind the button: colour a, with a top band of c above button y 6.
constexpr QRgb colourA = qRgb(100, 20, 20), colourC = qRgb(20, 100, 20);

class PatternParent final : public QWidget {
public:
    QRgb left = colourA;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(left));
        painter.fillRect(QRect(0, 0, width(), 26), QColor(colourC));
    }
};

class CubeButtonTest : public testing::Test {
protected:
    void SetUp() override
    {
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
        return shot;
    }

    // Each edge is one device pixel of its colour (light on the top and left
    // when raised), sampled near its start, where the cube never reaches.
    void expectFrame(const QImage& p, bool raised) const
    {
        const QRgb light = button->palette().color(QPalette::Light).rgb();
        const QRgb dark = button->palette().color(QPalette::Dark).rgb();
        const int right = p.width() - 1, bottom = p.height() - 1, a = 8;
        const std::tuple<QPoint, QPoint, QRgb> edges[] = {{{a, 0}, {0, 1}, raised ? light : dark},
            {{0, a}, {1, 0}, raised ? light : dark}, {{a, bottom}, {0, -1}, raised ? dark : light},
            {{right, a}, {-1, 0}, raised ? dark : light}};
        for (const auto& [at, inward, colour] : edges) {
            EXPECT_TRUE(test::nearColour(p.pixel(at), colour, 2)) << at.x() << "," << at.y();
            EXPECT_FALSE(test::nearColour(p.pixel(at + inward), colour, 2)) << at.x() << "," << at.y();
        }
    }

    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    PatternParent parent;
    CubeButton* button = nullptr;
};

// Run once more at QT_SCALE_FACTOR=2 (see CMakeLists.txt).
TEST_F(CubeButtonTest, SharpFrameAroundTheSnapshotAndACubeThatTurns)
{
    const QImage first = shown();
    const int scale = qRound(button->devicePixelRatio());
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{2, 19, 10})); // one step from 1, 10, 5
    expectFrame(first, true);
    // The lit background quad shows the snapshot's own colours.
    EXPECT_TRUE(test::nearColour(first.pixel(3 * scale, 2 * scale), colourC, 4));
    EXPECT_TRUE(test::nearColour(first.pixel(3 * scale, 20 * scale), colourA, 4));
    EXPECT_FALSE(test::nearColour(first.pixel(46 * scale, 43 * scale), colourA, 10)); // the cube
    // The snapshot is taken once: a later change behind the button does not show.
    parent.left = qRgb(255, 255, 255);
    parent.update();
    const QImage second = shown();
    EXPECT_NE(second, first) << "the cube must look turned";
    EXPECT_EQ(second.pixel(3 * scale, 20 * scale), first.pixel(3 * scale, 20 * scale));
    // While down the picture shifts: the green band ends a pixel or two lower.
    auto bandEnd = [&](const QImage& p) {
        int y = 2;
        while (y < p.height() && qGreen(p.pixel(3 * scale, y)) > qRed(p.pixel(3 * scale, y)))
            ++y;
        return y;
    };
    button->setDown(true);
    const QImage down = shown();
    expectFrame(down, false);
    const int shift = bandEnd(down) - bandEnd(first);
    EXPECT_TRUE(shift >= 1 && shift <= 2 * scale) << shift;
    // It turns on its own only while shown.
    button->setAnimationPeriod(10);
    EXPECT_FALSE(button->isAnimating());
    parent.show();
    const double startX = button->anglesDeg()[0];
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->anglesDeg()[0] >= startX + 5; }, 3000));
    parent.hide();
    EXPECT_FALSE(button->isAnimating());
}

} // namespace
} // namespace orbit
