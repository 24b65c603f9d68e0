// The application object: reads the command line once, decides the run mode
// and either does a one-shot job and ends, or opens its saver windows (the
// preview's one, or one per monitor for the full screen) and runs the Qt event
// loop until they are gone. Monitors that come or go while the full screen
// runs get a window or lose theirs; the others run on undisturbed. The
// application, not a window, decides when to quit: the first close of any
// saver window closes them all, and the quit is latched, so one that comes
// before the event loop runs is kept. SIGTERM and SIGINT are taken over as the
// first thing run() does. It owns everything the scene reaches outside itself
// (random generator, settings, resources, messages, diagnostics, sound) and
// hands it down by reference.
#pragma once

#include "SaverMode.h"
#include "app/IniSettingsStore.h"
#include "app/SettingsOverlay.h"
#include "platform/DiagnosticSink.h"
#include "platform/PasswordService.h"
#include "platform/RandomGenerator.h"
#include "platform/SdlSoundPlayer.h"
#include "platform/qt/MessageBoxNotifier.h"
#include "resources/EmbeddedResources.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QScreen;
class QWindow;

namespace orbit {

class HostWindowWatcher;
class SaverWindow;
class X11InputGrab;
class TerminationSignals;
class TickLog;

class SaverApp {
public:
    // argc and argv are the process's own; Qt may take its switches out of
    // them, so the command line is read before the QApplication exists.
    SaverApp(int& argc, char** argv, PasswordService& passwords);
    ~SaverApp();
    SaverApp(const SaverApp&) = delete;
    SaverApp& operator=(const SaverApp&) = delete;

    // The whole run; returns the process exit status: 0 normally, 1 when the
    // preview's host window is missing, no window can be made or the hack
    // options are refused (with the usage text on stderr).
    int run();

    const std::string& name() const { return appName; }

    // After run(): on Wayland, releases the program's own objects and ends the
    // process with status at once, without tearing Qt's Wayland connection
    // down (see the .cpp); elsewhere does nothing.
    void finishOnWayland(int status);

private:
    int runHack();
    int runPreview(std::int64_t hostWindow, bool rootWindow);
    int runFullScreen();
    int runSettingsDialog();
    // needsX11Window: the mode draws into another program's X11 window.
    bool startQt(bool needsX11Window);
    void connectWindow(SaverWindow& window);
    // A full-screen window over screen; false (and no window) when it cannot be made.
    bool coverScreen(QScreen* screen);
    // Drops the window over a monitor that is gone, without closing the others.
    void uncoverScreen(QScreen* screen);
    // Puts the X11 input grab on the first window (nothing on Wayland).
    void takeGrab();
    // Asks every saver window to close; quits when none is left open.
    void closeAll();
    void quit();
    // The Qt event loop, unless a quit came before it could start.
    int runEventLoop();
    std::uint32_t tickCountMs() const;

    int& argc;
    char** argv;
    std::vector<std::string> args;
    bool showLaunchingDialog = true;
    bool showFrameRate = false;
    std::string appName;
    PasswordService& passwords;

    RandomGenerator random;
    EmbeddedResources resources;
    IniSettingsStore settings;
    // What the scene reads: the file's settings behind the hack options.
    SettingsOverlay sceneSettings{settings};
    MessageBoxNotifier notifier;
    StdoutSink diagnostics;
    SdlSoundPlayer sound;

    // Declared in construction order; destroyed in reverse, window first.
    std::unique_ptr<TerminationSignals> terminationSignals;
    std::unique_ptr<QApplication> qtApp;
    std::unique_ptr<QWindow> hostWindow;
    std::unique_ptr<HostWindowWatcher> watcher;
    std::unique_ptr<TickLog> tickLog;
    std::unique_ptr<X11InputGrab> inputGrab;
    // One per monitor in the full screen, one for the preview. Each window has
    // its own generator (the first one the application's), so the scenes never
    // reseed each other's.
    struct SaverSlot {
        std::unique_ptr<RandomGenerator> ownRandom;
        std::unique_ptr<SaverWindow> window;
        QScreen* screen = nullptr;
    };
    std::vector<SaverSlot> windows;
    bool quitRequested = false;
};

} // namespace orbit
