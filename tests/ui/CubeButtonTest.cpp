// The cube button's GL picture under X11: frame colours on the edges, the lit
// background snapshot, a cube that turns by 1, 9 and 5 degrees per drawing,
// the sunken frame and shifted picture while down, clicks and the animation.
#include "ui/CubeButton.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "platform/UserNotifier.h"
#include "tests/support/TestDoubles.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace orbit {
namespace {

using test::nearColour;

// The dialog behind the button: colour a, split to b at button x 40, and a top
// band of c above button y 6.
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

    QImage draw()
    {
        (void)button->grab();
        return button->lastPicture().convertToFormat(QImage::Format_RGB32);
    }

    // The cube may cross an edge at some angles, so each edge must hold its
    // colour on at least 80 % of its pixels.
    void expectFrame(const QImage& picture, QPalette::ColorRole topLeft, QPalette::ColorRole bottomRight)
    {
        const int w = picture.width(), h = picture.height();
        auto share = [&](int count, auto pixelAt, QPalette::ColorRole role) {
            int matching = 0;
            for (int i = 0; i < count; ++i)
                matching += nearColour(pixelAt(i), button->palette().color(role).rgb(), 2) ? 1 : 0;
            return static_cast<double>(matching) / count;
        };
        EXPECT_GE(share(w - 1, [&](int x) { return picture.pixel(x, 0); }, topLeft), 0.8) << "top";
        EXPECT_GE(share(h - 1, [&](int y) { return picture.pixel(0, y); }, topLeft), 0.8) << "left";
        EXPECT_GE(share(w, [&](int x) { return picture.pixel(x, h - 1); }, bottomRight), 0.8) << "bottom";
        EXPECT_GE(share(h, [&](int y) { return picture.pixel(w - 1, y); }, bottomRight), 0.8) << "right";
    }

    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    PatternParent parent;
    CubeButton* button = nullptr;
};

TEST_F(CubeButtonTest, RaisedFrameAroundTheLitSnapshotAndACubeThatTurnsEveryDrawing)
{
    EXPECT_TRUE(button->lastPicture().isNull());
    const QImage first = draw();
    ASSERT_EQ(first.size(), QSize(93, 86));
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{2, 19, 10})); // one step from 1, 10, 5
    expectFrame(first, QPalette::Light, QPalette::Dark);
    // The light on the background quad saturates, so the snapshot shows with
    // its own colours where the cube never reaches.
    EXPECT_TRUE(nearColour(first.pixel(3, 2), colourC, 4)) << std::hex << first.pixel(3, 2);
    EXPECT_TRUE(nearColour(first.pixel(3, 20), colourA, 4)) << std::hex << first.pixel(3, 20);
    EXPECT_TRUE(nearColour(first.pixel(88, 20), colourB, 4)) << std::hex << first.pixel(88, 20);
    EXPECT_FALSE(nearColour(first.pixel(46, 43), colourA, 10)); // the cube
    EXPECT_FALSE(nearColour(first.pixel(46, 43), colourB, 10));
    // The snapshot is taken once: a later change behind the button does not show.
    parent.left = qRgb(255, 255, 255);
    parent.update();
    QImage previous = first;
    for (int drawing = 2; drawing <= 6; ++drawing) {
        const QImage picture = draw();
        EXPECT_NE(picture, previous) << "the cube must look turned at drawing " << drawing;
        EXPECT_EQ(picture.pixel(3, 20), first.pixel(3, 20));
        previous = picture;
    }
    EXPECT_EQ(button->anglesDeg(), (std::array<double, 3>{7, 64, 35}));
}

// Run once more at QT_SCALE_FACTOR=2 (see CMakeLists.txt): what the button
// puts on screen has one picture pixel per device pixel, so each frame edge
// is one device pixel wide at any scale.
TEST_F(CubeButtonTest, SharpAtTheScreenScale)
{
    const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = button->devicePixelRatio();
    ASSERT_EQ(shown.size(), (QSizeF(93, 86) * ratio).toSize());
    EXPECT_EQ(button->lastPicture().size(), shown.size());
    const QRgb light = button->palette().color(QPalette::Light).rgb();
    const QRgb dark = button->palette().color(QPalette::Dark).rgb();
    const int w = shown.width(), h = shown.height();
    // Width of the run of `colour` going inwards from the edge at each
    // position along it; the median shrugs off the cube crossing the edge.
    auto edgeWidth = [&](QRgb colour, auto pixelAt, int along, int inward) {
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
    const std::pair<const char*, int> edges[] = {
        {"top", edgeWidth(light, [&](int i, int d) { return shown.pixel(i, d); }, w, h)},
        {"left", edgeWidth(light, [&](int i, int d) { return shown.pixel(d, i); }, h, w)},
        {"bottom", edgeWidth(dark, [&](int i, int d) { return shown.pixel(i, h - 1 - d); }, w, h)},
        {"right", edgeWidth(dark, [&](int i, int d) { return shown.pixel(w - 1 - d, i); }, h, w)},
    };
    for (const auto& [name, width] : edges)
        EXPECT_EQ(width, 1) << name << " edge at scale " << ratio;
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
    const QPoint up = edges(draw());
    button->setDown(true);
    const QImage down = draw();
    expectFrame(down, QPalette::Dark, QPalette::Light);
    // 6 pixels at the near plane are about one at the background's depth.
    const QPoint shift = edges(down) - up;
    ASSERT_GT(up.x(), 0);
    ASSERT_GT(up.y(), 0);
    EXPECT_TRUE(shift.x() >= 1 && shift.x() <= 2 && shift.y() >= 1 && shift.y() <= 2) << shift.x() << "," << shift.y();
    button->setDown(false);
    expectFrame(draw(), QPalette::Light, QPalette::Dark);
}

TEST_F(CubeButtonTest, AnimatesOnlyWhileShownAndCountsADoubleClickAsTwoClicks)
{
    button->setAnimationPeriod(10);
    EXPECT_FALSE(button->isAnimating());
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    EXPECT_TRUE(button->isAnimating());
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
