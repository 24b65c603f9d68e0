// The settings dialog of configure mode, one control per setting: the frame
// delay slider ("Timer", 1 to 100 ms, its value shown beside it), the
// satellite count ("SatCount", 1 to 10), the shot sound ("Fire") and the
// starship model file ("3dsFileName", empty for the built-in ship). Each opens
// at the stored value clamped as the saver reads it; OK writes all four,
// every other way out writes nothing. A chosen model file is stored as an
// absolute path and checked with the saver's loader on a worker thread; the
// result shows under the field, and a file that fails can still be stored.
// Destroying the dialog waits for a check still running (the loader bounds
// what one file can cost).
// Its "&About" button and the "&About Orbit Patrol..." item of its context
// menu (the Linux stand-in for the system menu) both post system command 16,
// which runs the About box modally on top. exec() returns 1 for OK and 2 for
// Cancel, Escape or the close box, as the dialog manager's IDOK and IDCANCEL.
//
// Minimised-icon painting, the query-drag-icon reply and HELP_QUIT have no
// counterpart on Linux (the window manager draws minimised windows, there is
// no dragging of a minimised icon and no WinHelp), so they are left out.
#pragma once

#include "DialogBuilder.h"

#include "ModelFileCheck.h"

#include <QDialog>

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSlider;
class QSpinBox;
class QTimer;

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
    static constexpr int delayValueId = 1003;
    static constexpr int satelliteCountId = 1004;
    static constexpr int shotSoundId = 1005;
    static constexpr int modelFieldId = 1006;
    static constexpr int browseButtonId = 1007;
    static constexpr int builtInButtonId = 1008;
    static constexpr int modelStatusId = 1009;
    static constexpr int cancelResult = 2;        // IDCANCEL

    // Messages of the About box's cube button go to a QMessageBox.
    SettingsDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                   QWidget* parent = nullptr);
    SettingsDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                   UserNotifier& notifier, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Asks the user for a model file, starting in `folder`; empty when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& folder)>;

    QSlider* delaySlider() const { return slider; }
    QSpinBox* satelliteSpinBox() const { return satellites; }
    QCheckBox* shotSoundBox() const { return shotSound; }
    QLineEdit* modelField() const { return modelEdit; }
    QLabel* modelStatus() const { return statusLabel; }
    // True while a model check runs.
    bool checkingModel() const { return pendingCheck.valid(); }
    // Replaces the file dialog that "Browse..." opens.
    void setFileChooser(FileChooser chooser) { chooseFile = std::move(chooser); }
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
    void browseForModel();
    void useBuiltInModel();
    // Shows `path` (the stored text) and checks `checkedPath`, the file the saver would load.
    void showModel(const std::string& path, const std::string& checkedPath);
    void collectCheck();
    void showCheck(const ModelFileCheck& check);

    SettingsStore& settings;
    const ResourceProvider& resources;
    UrlOpener& opener;
    std::unique_ptr<UserNotifier> ownNotifier; // set when the caller gave none
    UserNotifier& notifier;
    DialogControls controls;
    QSlider* slider = nullptr;
    QLabel* delayValue = nullptr;
    QSpinBox* satellites = nullptr;
    QCheckBox* shotSound = nullptr;
    QLineEdit* modelEdit = nullptr;
    QLabel* statusLabel = nullptr;
    QMenu* menu = nullptr;
    QTimer* checkPoll = nullptr;
    FileChooser chooseFile;
    int frameDelay = 0;    // milliseconds
    std::string modelPath; // "3dsFileName" as OK writes it; empty: the built-in ship
    std::future<ModelFileCheck> pendingCheck;
    // Checks overtaken by a newer choice; their futures wait for them on destruction.
    std::vector<std::future<ModelFileCheck>> staleChecks;
    int aboutRuns = 0;
};

} // namespace orbit
