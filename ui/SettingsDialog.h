// The settings dialog of configure mode: one slider for the frame delay
// ("Timer", 1 to 100 ms), opened at the stored value clamped, written only by
// OK. Its "&About" button and the "&About Orbit Patrol..." item of its context
// menu (the Linux stand-in for the system menu) both post system command 16,
// which runs the About box modally on top. exec() returns 1 for OK and 2 for
// Cancel, Escape or the close box, as the dialog manager's IDOK and IDCANCEL.
//
// Minimised-icon painting, the query-drag-icon reply and HELP_QUIT have no
// counterpart on Linux (the window manager draws minimised windows, there is
// no dragging of a minimised icon and no WinHelp), so they are left out.
#pragma once

#include "DialogBuilder.h"

#include <QDialog>

#include <memory>

class QMenu;
class QSlider;

namespace orbit {

class ResourceProvider;
class SettingsStore;
class UrlOpener;
class UserNotifier;

class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int aboutCommand = 16;       // system command of the About item
    static constexpr int aboutButtonId = 57664;   // ID_APP_ABOUT
    static constexpr int delaySliderId = 1002;
    static constexpr int cancelResult = 2;        // IDCANCEL

    // Messages of the About box's cube button go to a QMessageBox.
    SettingsDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                   QWidget* parent = nullptr);
    SettingsDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                   UserNotifier& notifier, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    QSlider* delaySlider() const { return slider; }
    QWidget* control(int id) const { return controls.control(id); }
    // The context menu; nullptr when string 101 is empty.
    QMenu* systemMenu() const { return menu; }
    // Number of About boxes run so far.
    int aboutBoxesShown() const { return aboutRuns; }

    // Posts system command `command` to this dialog (the About button's path).
    void postSystemCommand(int command);

public slots:
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    SettingsDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                   std::unique_ptr<UserNotifier> ownNotifier, UserNotifier* notifier, QWidget* parent);
    void systemCommand(int command);

    SettingsStore& settings;
    const ResourceProvider& resources;
    UrlOpener& opener;
    std::unique_ptr<UserNotifier> ownNotifier; // set when the caller gave none
    UserNotifier& notifier;
    DialogControls controls;
    QSlider* slider = nullptr;
    QMenu* menu = nullptr;
    int frameDelay = 0; // milliseconds
    int aboutRuns = 0;
};

} // namespace orbit
