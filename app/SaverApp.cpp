// Mode dispatch. One-shot modes never create the QApplication, so they end at
// once and need no display. For the window modes the termination signals are
// blocked before Qt starts its X event thread, and the host window is checked
// before anything is shown: a zero, unknown or unreadable window id ends the
// program with status 1 and one line on stderr.
#include "SaverApp.h"

#include "CommandLine.h"
#include "resources/StringTable.h"
#include "saver/FullScreenSaverWindow.h"
#include "saver/HostWindowWatcher.h"
#include "saver/SaverWindow.h"
#include "saver/TerminationSignals.h"
#include "saver/TickLog.h"
#include "saver/X11InputGrab.h"
#include "scene/GlNameCensus.h"
#include "platform/qt/DesktopUrlOpener.h"
#include "ui/LaunchingDialog.h"
#include "ui/ResourceImages.h"
#include "ui/SettingsDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLibraryInfo>
#include <QOpenGLContext>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orbit {

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv)
{
    std::vector<std::string> list;
    for (int i = 0; i < argc; ++i)
        list.emplace_back(argv[i] ? argv[i] : "");
    return list;
}

std::string programPath(const std::vector<std::string>& args) { return args.empty() ? std::string() : args[0]; }

// Qt aborts the process when its X platform cannot connect; asking first
// turns a missing display into a message and an exit status.
bool xDisplayReachable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// A Wayland session the program can join: its socket exists and Qt's wayland
// platform plugin is installed.
bool waylandSessionUsable()
{
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString socket =
        QDir::isAbsolutePath(name) ? name : qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + name;
    if (!QFileInfo::exists(socket))
        return false;
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

// Sets the Qt platform before the QApplication exists. The modes that draw
// into another program's window need its X11 id, so they always run on xcb
// (through XWayland in a Wayland session). The others run natively on Wayland
// when the session is usable, else on X11; a platform the user named stays.
void choosePlatform(bool needsX11Window)
{
    if (needsX11Window)
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", waylandSessionUsable() ? "wayland" : "xcb");
}

// The program icon (icon resource 128) for every window.
void setProgramIcon(const ResourceProvider& resources)
{
    constexpr int programIconId = 128;
    const QIcon icon = resourceIcon(resources, programIconId);
    if (!icon.isNull())
        QGuiApplication::setWindowIcon(icon);
}

} // namespace

SaverApp::SaverApp(int& argCount, char** argValues, PasswordService& passwordService)
    : argc(argCount),
      argv(argValues),
      args(argumentsOf(argCount, argValues)),
      appName(applicationName(programPath(args))),
      passwords(passwordService),
      settings(std::string(stringResource(stringId::companyName)), appName),
      notifier(appName)
{
}

SaverApp::~SaverApp() = default;

void SaverApp::finishOnWayland(int status)
{
    if (!qtApp || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    // Qt 6.4 can hang for good while it destroys its Wayland connection: the
    // teardown waits for its event thread, which sits in wl_display_read_events
    // for a read that no other thread finishes. By now every window is closed,
    // its GL objects released and every setting written (each write is synced),
    // and the compositor frees what a client leaves when it disconnects, so the
    // process ends here instead.
    windows.clear();
    inputGrab.reset();
    std::fflush(nullptr);
    std::_Exit(status);
}

std::uint32_t SaverApp::tickCountMs() const
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

int SaverApp::run()
{
    // Blocked from the start, a termination signal waits in the signalfd
    // until the event loop can close the windows in order.
    terminationSignals = std::make_unique<TerminationSignals>();
    if (isHackCommandLine(args))
        return runHack();

    std::int64_t argument = 0;
    // X11 has no foreground window to hand a bare configure switch.
    switch (parseCommandLine(rebuildCommandLine(args), argument, 0)) {
    case SaverMode::Configure:
        return runSettingsDialog();
    case SaverMode::ChangePassword:
        passwords.changePassword("SCRSAVE", static_cast<std::intptr_t>(argument));
        return 0;
    case SaverMode::Preview:
        return runPreview(argument, false);
    case SaverMode::FullScreen:
        return runFullScreen();
    case SaverMode::None:
        return 0;
    }
    return 0;
}

int SaverApp::runHack()
{
    const HackCommandLine line = parseHackCommandLine(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s\n%s", appName.c_str(), line.error.c_str(), usageText(appName).c_str());
        return 1;
    }
    if (line.help) {
        std::fputs(usageText(appName).c_str(), stdout);
        return 0;
    }
    if (const std::string warning = applyHackOptions(line.options, sceneSettings); !warning.empty())
        std::fprintf(stderr, "%s: %s\n", appName.c_str(), warning.c_str());
    showFrameRate = line.options.showFrameRate;
    if (!line.host)
        return runFullScreen();
    // As an XScreenSaver hack no pop-up may stand over the host's window (it
    // may be the lock screen), so the set-up runs without its dialog.
    showLaunchingDialog = false;
    return runPreview(line.host->windowId, line.host->rootWindow);
}

bool SaverApp::startQt(bool needsX11Window)
{
    choosePlatform(needsX11Window);
    if (!xDisplayReachable()) {
        if (needsX11Window)
            std::fprintf(stderr, "%s: this mode draws into an X11 window and needs an X display (or XWayland)\n",
                         appName.c_str());
        else
            std::fprintf(stderr, "%s: cannot open the X display\n", appName.c_str());
        return false;
    }
    qtApp = std::make_unique<QApplication>(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    terminationSignals->start();
    setProgramIcon(resources);
    QObject::connect(terminationSignals.get(), &TerminationSignals::received, qtApp.get(), [this](int) { closeAll(); });
    if (const char* logPath = std::getenv("ORBIT_PATROL_TICK_LOG"); logPath && *logPath)
        tickLog = std::make_unique<TickLog>(logPath);
    if (needsX11Window && !qtApp->nativeInterface<QNativeInterface::QX11Application>()) {
        std::fprintf(stderr, "%s: an X11 display is needed\n", appName.c_str());
        return false;
    }
    return true;
}

int SaverApp::runSettingsDialog()
{
    if (!startQt(false))
        return 1;
    // Modal and without an owner window: the handle argument is not used.
    DesktopUrlOpener opener;
    SettingsDialog dialog(settings, resources, opener, notifier);
    // A termination signal cancels, as the Cancel button does: nothing is
    // written. Message boxes open over the dialog are answered first.
    bool cancelled = false;
    QObject::connect(terminationSignals.get(), &TerminationSignals::received, &dialog, [&](int) {
        cancelled = true;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QDialog*>(widget); box && box != &dialog && box->isVisible())
                box->reject();
        }
        dialog.reject();
    });
    if (!cancelled)
        dialog.exec();
    return 0;
}

void SaverApp::connectWindow(SaverWindow& window)
{
    // The launching dialog stands for the whole set-up: it shows while the
    // first window loads, not once per monitor.
    if (showLaunchingDialog && windows.size() == 1) {
        window.setLaunchingFactory([this](QWindow* owner) -> std::unique_ptr<LaunchingStatus> {
            return std::make_unique<LaunchingDialog>(resources, owner);
        });
    }
    window.setPendingCloseCheck([termination = terminationSignals.get()] { return termination->pending(); });
    QObject::connect(&window, &SaverWindow::closed, qtApp.get(), [this] { closeAll(); });
    if (tickLog)
        QObject::connect(&window, &SaverWindow::ticked, &window, [log = tickLog.get()] { log->record(); });
    // Soak runs: a census line (resident memory, live GL texture and list names) every 1000 ticks.
    if (const char* censusPath = std::getenv("ORBIT_PATROL_GL_NAMES"); censusPath && *censusPath) {
        const auto census = [path = std::string(censusPath), ticks = 0L]() mutable {
            if (++ticks % 1000 != 0 || !QOpenGLContext::currentContext())
                return;
            if (std::FILE* file = std::fopen(path.c_str(), "a")) {
                std::fprintf(file, "%s\n", censusLine(ticks, takeGlNameCensus()).c_str());
                std::fclose(file);
            }
        };
        QObject::connect(&window, &SaverWindow::ticked, &window, census);
    }
}

void SaverApp::closeAll()
{
    bool open = false;
    for (SaverSlot& slot : windows) {
        if (!slot.window->isClosed()) {
            slot.window->postClose();
            open = true;
        }
    }
    if (!open)
        quit();
}

void SaverApp::quit()
{
    quitRequested = true;
    // Ends every running event loop, nested ones included; runEventLoop keeps
    // a quit that comes before the loop starts.
    QCoreApplication::exit(0);
}

int SaverApp::runEventLoop() { return quitRequested ? 0 : qtApp->exec(); }

int SaverApp::runPreview(std::int64_t hostId, bool rootWindow)
{
    if (!rootWindow && (hostId <= 0 || hostId > UINT32_MAX)) {
        std::fprintf(stderr, "%s: invalid host window id %lld\n", appName.c_str(), static_cast<long long>(hostId));
        return 1;
    }
    if (!startQt(true))
        return 1;
    auto* x11 = qtApp->nativeInterface<QNativeInterface::QX11Application>();
    if (rootWindow)
        hostId = HostWindowWatcher::defaultRootWindow(x11->display());
    const auto hostXid = static_cast<std::uint32_t>(hostId);

    watcher = std::make_unique<HostWindowWatcher>(x11->connection(), hostXid);
    const std::optional<QSize> hostSize = watcher->start();
    if (!hostSize) {
        std::fprintf(stderr, "%s: no window with id 0x%x\n", appName.c_str(), hostXid);
        return 1;
    }
    if (terminationSignals->pending())
        return 0;
    hostWindow.reset(QWindow::fromWinId(hostXid));
    const SceneServices services{random, sceneSettings, resources, notifier, diagnostics, sound};
    windows.push_back({nullptr, std::make_unique<SaverWindow>(services, tickCountMs(), hostWindow.get())});
    SaverWindow* window = windows.back().window.get();
    window->showFrameRate(showFrameRate);
    connectWindow(*window);
    // X reports the host in device pixels; Qt places windows in logical ones.
    const auto logical = [w = window](QSize size) { return (QSizeF(size) / w->devicePixelRatio()).toSize(); };
    QObject::connect(watcher.get(), &HostWindowWatcher::hostResized, window,
                     [w = window, logical](QSize size) { w->resize(logical(size)); });
    QObject::connect(watcher.get(), &HostWindowWatcher::hostDestroyed, window, [w = window] { w->hostWindowGone(); });
    const QString title = QString::fromUtf8(stringResource(stringId::previewTitle).data());
    if (!window->createSaver(title, QRect(QPoint(0, 0), logical(*hostSize))))
        return 1;
    // A window closed during its set-up has no native window left to watch
    // (winId() would make a new one).
    if (!window->isClosed()) {
        watcher->watchChild(static_cast<std::uint32_t>(window->winId()));
        window->setDrawableCheck([w = watcher.get()] { return w->childExists(); });
    }
    return runEventLoop();
}

bool SaverApp::coverScreen(QScreen* screen)
{
    auto ownRandom = windows.empty() ? nullptr : std::make_unique<RandomGenerator>();
    const SceneServices services{ownRandom ? *ownRandom : random, sceneSettings, resources, notifier, diagnostics, sound};
    windows.push_back({std::move(ownRandom), std::make_unique<FullScreenSaverWindow>(services, tickCountMs()), screen});
    auto* window = static_cast<FullScreenSaverWindow*>(windows.back().window.get());
    window->showFrameRate(showFrameRate);
    connectWindow(*window);
    window->setInputGrab(inputGrab.get());
    if (!window->createFullScreen(QString::fromStdString(appName), screen)) {
        windows.pop_back();
        return false;
    }
    takeGrab();
    return true;
}

void SaverApp::takeGrab()
{
    auto* x11 = qtApp->nativeInterface<QNativeInterface::QX11Application>();
    SaverWindow* holder = windows.empty() ? nullptr : windows.front().window.get();
    if (!x11 || !holder || holder->closeRequested())
        return;
    const auto holderId = static_cast<std::uint32_t>(holder->winId());
    if (inputGrab && inputGrab->window() == holderId)
        return;
    // X keeps one grab per program: the old one goes before the new one comes.
    inputGrab.reset();
    inputGrab = std::make_unique<X11InputGrab>(x11->connection(), holderId);
    for (SaverSlot& slot : windows)
        static_cast<FullScreenSaverWindow*>(slot.window.get())->setInputGrab(inputGrab.get());
    inputGrab->start();
}

void SaverApp::uncoverScreen(QScreen* screen)
{
    const auto gone =
        std::find_if(windows.begin(), windows.end(), [&](const SaverSlot& slot) { return slot.screen == screen; });
    if (gone == windows.end())
        return;
    // Its end is no sign of the user: the others run on, and the grab moves
    // to one of them if the gone window held it.
    QObject::disconnect(gone->window.get(), &SaverWindow::closed, qtApp.get(), nullptr);
    windows.erase(gone);
    // When it was the last one still open (the others closed before), its
    // close can no longer end the run.
    if (std::all_of(windows.begin(), windows.end(), [](const SaverSlot& slot) { return slot.window->isClosed(); }))
        quit();
    else
        takeGrab();
}

int SaverApp::runFullScreen()
{
    if (!startQt(false))
        return 1;
    if (terminationSignals->pending())
        return 0;
    // The primary monitor first: it shows the launching dialog and takes the grab.
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen(); primary && screens.removeOne(primary))
        screens.prepend(primary);
    for (QScreen* screen : screens) {
        // A close during a window's set-up ends the run: no further monitor is covered.
        if (quitRequested || terminationSignals->pending() ||
            (!windows.empty() && windows.front().window->closeRequested()))
            break;
        // Without the first window the run ends; a later monitor without one stays uncovered.
        if (!coverScreen(screen) && windows.empty())
            return 1;
    }
    QObject::connect(qtApp.get(), &QGuiApplication::screenAdded, qtApp.get(), [this](QScreen* screen) {
        if (!quitRequested && !windows.empty() && !windows.front().window->closeRequested())
            coverScreen(screen);
    });
    QObject::connect(qtApp.get(), &QGuiApplication::screenRemoved, qtApp.get(),
                     [this](QScreen* screen) { uncoverScreen(screen); });
    return runEventLoop();
}

} // namespace orbit
