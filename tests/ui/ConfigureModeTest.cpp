// End to end: "orbit-patrol /c" under X11 opens the settings dialog; the
// slider is set with xdotool key presses, Enter presses OK, and the INI file
// under $XDG_CONFIG_HOME holds the new "Timer". Skipped (with the reason)
// while the program or xdotool is missing, or while configure mode does not
// open the dialog.
#include "UiTestSupport.h"
#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orbit {
namespace {

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(5000))
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

class ConfigureModeTest : public test::QtTest {};

TEST_F(ConfigureModeTest, SliderSetWithXdotoolAndEnterStoresTheTimer)
{
    const QString program = QStringLiteral(ORBIT_BINARY_DIR "/orbit-patrol");
    ASSERT_TRUE(std::filesystem::exists(program.toStdString())) << "orbit-patrol is not built in " ORBIT_BINARY_DIR;
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    ASSERT_FALSE(xdotool.isEmpty()) << "xdotool is not installed";

    test::ScratchDir config("ui-configure-mode");
    QProcess saver;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.path().string()));
    environment.remove("QT_QPA_PLATFORM");
    saver.setProcessEnvironment(environment);
    saver.start(program, {"/c"});
    ASSERT_TRUE(saver.waitForStarted(5000));

    QString window;
    QElapsedTimer clock;
    clock.start();
    while (window.isEmpty() && clock.elapsed() < 8000 && saver.state() == QProcess::Running) {
        window = runTool(xdotool, {"search", "--name", "^Orbit Patrol Settings$"}).section('\n', 0, 0);
        if (window.isEmpty())
            saver.waitForFinished(100);
    }
    if (window.isEmpty()) {
        saver.kill();
        saver.waitForFinished(2000);
        FAIL() << "orbit-patrol /c opened no window titled \"Orbit Patrol Settings\"";
    }

    // Focus starts on OK; two tabs reach the slider. Home is 1, then 24 steps right.
    runTool(xdotool, {"windowfocus", "--sync", window});
    QStringList keys{"key", "--window", window, "--delay", "30", "Tab", "Tab", "Home"};
    for (int i = 0; i < 24; ++i)
        keys << "Right";
    keys << "Return";
    runTool(xdotool, keys);
    ASSERT_TRUE(saver.waitForFinished(8000)) << "the dialog did not close on Enter";
    EXPECT_EQ(saver.exitCode(), 0);

    std::ifstream ini(config.path() / "Torvo" / "orbit-patrol.ini");
    ASSERT_TRUE(ini.good()) << "no settings file written";
    std::stringstream text;
    text << ini.rdbuf();
    EXPECT_NE(text.str().find("[Options]"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Timer=25"), std::string::npos) << text.str();
}

} // namespace
} // namespace orbit
