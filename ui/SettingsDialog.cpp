// See SettingsDialog.h. The system command travels as a posted event of our
// own type, so the button and the menu item share one queued path, as
// PostMessage(WM_SYSCOMMAND, 16) did.
#include "SettingsDialog.h"

#include "AboutDialog.h"
#include "platform/qt/MessageBoxNotifier.h"
#include "platform/ResourceProvider.h"
#include "platform/SettingsStore.h"
#include "resources/StringTable.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

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
      notifier(givenNotifier ? *givenNotifier : *ownNotifier)
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
    if (slider) {
        slider->setRange(settings::minTimerMs, settings::maxTimerMs);
        // A trackbar's default page size is a fifth of its range.
        slider->setPageStep((settings::maxTimerMs - settings::minTimerMs) / 5);
        slider->setValue(frameDelay);
    }
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

void SettingsDialog::accept()
{
    if (slider)
        frameDelay = slider->value();
    settings.writeInt(settings::section, settings::timerKey, frameDelay);
    QDialog::accept();
}

void SettingsDialog::reject()
{
    done(cancelResult);
}

} // namespace orbit
