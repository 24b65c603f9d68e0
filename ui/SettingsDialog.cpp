// See SettingsDialog.h. The system command travels as a posted event of our
// own type, so the button and the menu item share one queued path. A model
// check is polled from the UI thread; a newer choice overtakes an older check,
// whose result is then dropped.
#include "SettingsDialog.h"

#include "AboutDialog.h"
#include "platform/qt/MessageBoxNotifier.h"
#include "platform/ResourceProvider.h"
#include "platform/SettingsStore.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <system_error>

namespace orbit {
namespace {

const QEvent::Type systemCommandEventType = static_cast<QEvent::Type>(QEvent::User + 16);
constexpr int lowBitsMask = 0xFFF0; // the system's own flags live in the low four bits

class SystemCommandEvent final : public QEvent {
public:
    explicit SystemCommandEvent(int commandValue) : QEvent(systemCommandEventType), command(commandValue) {}
    int command;
};

// Message boxes carry the program's name (Qt takes it from argv[0]).
std::unique_ptr<UserNotifier> makeMessageBoxNotifier()
{
    const QString name = QCoreApplication::applicationName();
    return std::make_unique<MessageBoxNotifier>(name.isEmpty() ? "orbit-patrol" : name.toStdString());
}

constexpr int checkPollMs = 25;
const char* const checkingText = "Checking\u2026";
const char* const builtInFallbackText = "The built-in ship will fly instead.";
const char* const noShipText = "The saver will report this error and fly no ship.";

QString defaultFileChooser(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, "Starship model", folder, "3DS models (*.3ds *.3DS);;All files (*)");
}

std::string fileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString displayPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

} // namespace

SettingsDialog::SettingsDialog(SettingsStore& settingsStore, const ResourceProvider& resourceProvider,
                               UrlOpener& urlOpener, QWidget* parent)
    : SettingsDialog(settingsStore, resourceProvider, urlOpener, makeMessageBoxNotifier(), nullptr, parent)
{
}

SettingsDialog::SettingsDialog(SettingsStore& settingsStore, const ResourceProvider& resourceProvider,
                               UrlOpener& urlOpener, UserNotifier& userNotifier, QWidget* parent)
    : SettingsDialog(settingsStore, resourceProvider, urlOpener, nullptr, &userNotifier, parent)
{
}

SettingsDialog::SettingsDialog(SettingsStore& settingsStore, const ResourceProvider& resourceProvider,
                               UrlOpener& urlOpener, std::unique_ptr<UserNotifier> ownedNotifier,
                               UserNotifier* givenNotifier, QWidget* parent)
    : QDialog(parent),
      settings(settingsStore),
      resources(resourceProvider),
      opener(urlOpener),
      ownNotifier(std::move(ownedNotifier)),
      notifier(givenNotifier ? *givenNotifier : *ownNotifier),
      chooseFile(defaultFileChooser)
{
    const DialogTemplate* dialogTemplate = findDialogTemplate(dialogId::settings);
    if (!dialogTemplate)
        return;
    controls = buildDialog(*this, *dialogTemplate, resources);
    slider = controls.controlAs<QSlider>(delaySliderId);

    const std::string_view aboutText = resources.findString(stringId::aboutMenuItem);
    if (!aboutText.empty()) {
        menu = new QMenu(this);
        menu->addSeparator();
        QAction* about =
            menu->addAction(QString::fromUtf8(aboutText.data(), static_cast<qsizetype>(aboutText.size())));
        connect(about, &QAction::triggered, this, [this] { postSystemCommand(aboutCommand); });
    }
    if (auto* aboutButton = controls.controlAs<QPushButton>(aboutButtonId))
        connect(aboutButton, &QPushButton::clicked, this, [this] { postSystemCommand(aboutCommand); });

    frameDelay = settings::frameDelayMs(settings);
    delayValue = controls.controlAs<QLabel>(delayValueId);
    if (slider) {
        slider->setRange(settings::minTimerMs, settings::maxTimerMs);
        // A trackbar's default page size is a fifth of its range.
        slider->setPageStep((settings::maxTimerMs - settings::minTimerMs) / 5);
        // Moving the slider only changes the number beside it; OK stores it.
        if (delayValue)
            connect(slider, &QSlider::valueChanged, delayValue,
                    [label = delayValue](int ms) { label->setText(QString("%1 ms").arg(ms)); });
        slider->setValue(frameDelay);
        if (delayValue)
            delayValue->setText(QString("%1 ms").arg(slider->value()));
    }

    if ((satellites = controls.controlAs<QSpinBox>(satelliteCountId))) {
        satellites->setRange(settings::minSatCount, settings::maxSatCount);
        satellites->setValue(settings::satelliteCount(settings));
    }
    if ((shotSound = controls.controlAs<QCheckBox>(shotSoundId)))
        shotSound->setChecked(settings::shotSoundEnabled(settings));

    modelEdit = controls.controlAs<QLineEdit>(modelFieldId);
    statusLabel = controls.controlAs<QLabel>(modelStatusId);
    if (modelEdit)
        modelEdit->setPlaceholderText("Built-in ship");
    if (auto* browse = controls.controlAs<QPushButton>(browseButtonId))
        connect(browse, &QPushButton::clicked, this, &SettingsDialog::browseForModel);
    if (auto* builtIn = controls.controlAs<QPushButton>(builtInButtonId))
        connect(builtIn, &QPushButton::clicked, this, &SettingsDialog::useBuiltInModel);
    checkPoll = new QTimer(this);
    checkPoll->setInterval(checkPollMs);
    connect(checkPoll, &QTimer::timeout, this, &SettingsDialog::collectCheck);
    // The stored text is kept as it is (OK writes it back unchanged); the
    // check looks at the file the saver would load for it.
    showModel(settings.readString(settings::section, settings::sceneFileNameKey, ""),
              settings::sceneFileName(settings));
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::postSystemCommand(int command)
{
    QCoreApplication::postEvent(this, new SystemCommandEvent(command));
}

bool SettingsDialog::event(QEvent* event)
{
    if (event->type() == systemCommandEventType) {
        systemCommand(static_cast<SystemCommandEvent*>(event)->command);
        return true;
    }
    return QDialog::event(event);
}

void SettingsDialog::systemCommand(int command)
{
    if ((command & lowBitsMask) != aboutCommand)
        return;
    ++aboutRuns;
    AboutDialog about(settings, resources, opener, notifier, this);
    about.exec();
}

void SettingsDialog::contextMenuEvent(QContextMenuEvent* event)
{
    if (menu)
        menu->popup(event->globalPos());
}

void SettingsDialog::browseForModel()
{
    const QString current = displayPath(modelPath);
    const QString folder = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    const QString chosen = chooseFile(this, folder);
    if (chosen.isEmpty())
        return;
    const std::string path = fileSystemPath(QFileInfo(chosen).absoluteFilePath());
    showModel(path, path);
}

void SettingsDialog::useBuiltInModel() { showModel({}, {}); }

void SettingsDialog::showModel(const std::string& path, const std::string& checkedPath)
{
    modelPath = path;
    if (modelEdit) {
        modelEdit->setText(displayPath(path)); // the end, with the file's name, stays in view
        modelEdit->setToolTip(modelEdit->text());
    }
    if (pendingCheck.valid())
        staleChecks.push_back(std::move(pendingCheck));
    if (statusLabel) {
        statusLabel->setText(path.empty() ? QString() : QString(checkingText));
        statusLabel->setToolTip({});
    }
    if (!path.empty()) {
        try {
            pendingCheck = std::async(std::launch::async, checkModelFile, checkedPath);
        } catch (const std::system_error&) {
            showCheck(checkModelFile(checkedPath)); // no thread to be had: check here and now
        }
    }
    if (pendingCheck.valid() || !staleChecks.empty())
        checkPoll->start();
}

void SettingsDialog::collectCheck()
{
    using namespace std::chrono_literals;
    std::erase_if(staleChecks, [](const std::future<ModelFileCheck>& check) {
        return check.wait_for(0s) == std::future_status::ready;
    });
    if (pendingCheck.valid() && pendingCheck.wait_for(0s) == std::future_status::ready)
        showCheck(pendingCheck.get());
    if (!pendingCheck.valid() && staleChecks.empty())
        checkPoll->stop();
}

void SettingsDialog::showCheck(const ModelFileCheck& check)
{
    if (!statusLabel)
        return;
    // A file that does not open is replaced by the built-in ship; one that
    // opens but does not load leaves the saver without a ship.
    const QString text = check.loaded ? QString::fromStdString(modelSummary(check.faces, check.materials))
                                      : QString::fromStdString(check.error) + "\n" +
                                            (check.opened ? noShipText : builtInFallbackText);
    statusLabel->setText(text);
    statusLabel->setToolTip(text); // a long path in the message may not fit the line
}

void SettingsDialog::accept()
{
    if (slider)
        frameDelay = slider->value();
    settings.writeInt(settings::section, settings::timerKey, frameDelay);
    if (satellites)
        settings.writeInt(settings::section, settings::satCountKey, satellites->value());
    if (shotSound)
        settings.writeInt(settings::section, settings::fireKey, shotSound->isChecked() ? 1 : 0);
    if (modelEdit)
        settings.writeString(settings::section, settings::sceneFileNameKey, modelPath);
    QDialog::accept();
}

void SettingsDialog::reject()
{
    done(cancelResult);
}

} // namespace orbit
