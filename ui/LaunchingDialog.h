// The small progress dialog of the scene set-up (template 130): modeless,
// centred on its owner window, showing the status line the scene sets. It
// owns its Qt dialog; destroying the object destroys the window. Status lines
// are painted at once, since the set-up runs without returning to the event
// loop, and close() is queued, as the posted close it stands for.
#pragma once

#include "scene/SceneServices.h"

#include <memory>

class QDialog;
class QLabel;
class QWindow;

namespace orbit {

class ResourceProvider;

class LaunchingDialog final : public LaunchingStatus {
public:
    static constexpr int statusTextId = 1011;

    // Shows the dialog centred on `owner` (a saver window, top-level or inside
    // a host's window), or on the primary screen when there is no owner.
    LaunchingDialog(const ResourceProvider& resources, QWindow* owner);
    ~LaunchingDialog() override;
    LaunchingDialog(const LaunchingDialog&) = delete;
    LaunchingDialog& operator=(const LaunchingDialog&) = delete;

    void setStatusText(std::string_view text) override;
    void close() override;

    QDialog& window() const { return *dialog; }
    QLabel* statusLabel() const { return status; }

private:
    std::unique_ptr<QDialog> dialog;
    QLabel* status = nullptr;
};

} // namespace orbit
