// The About box: its picture (JPEG 135) stretched over the whole client area
// without smoothing, the template's labels drawn transparently over it, the
// author line in a transparent read-only edit, the e-mail and web links with
// their remembered visited state, and the spinning cube as the OK button.
// Both visited flags are written when the box is destroyed, whatever closed it.
#pragma once

#include "DialogBuilder.h"

#include <QDialog>
#include <QImage>

#include <string_view>

namespace orbit {

class CubeButton;
class HyperLinkLabel;
class ResourceProvider;
class SettingsStore;
class TransparentEdit;
class UrlOpener;
class UserNotifier;

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int pictureId = 135; // "Jpg"
    static constexpr int cubeAnimationMs = 30;
    static constexpr std::string_view authorLine = "The Orbit Patrol project";
    static constexpr std::string_view emailTarget = "mailto:orbit-patrol@example.org?subject=Orbit%20Patrol";
    static constexpr std::string_view webTarget = "https://www.example.org/orbit-patrol/";

    AboutDialog(SettingsStore& settings, const ResourceProvider& resources, UrlOpener& opener,
                UserNotifier& notifier, QWidget* parent = nullptr);
    ~AboutDialog() override;

    CubeButton* cubeButton() const { return cube; }
    HyperLinkLabel* emailLink() const { return email; }
    HyperLinkLabel* webLink() const { return web; }
    TransparentEdit* authorEdit() const { return author; }
    QWidget* control(int id) const { return controls.control(id); }
    bool hasPicture() const { return !picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsStore& settings;
    DialogControls controls;
    CubeButton* cube = nullptr;
    HyperLinkLabel* email = nullptr;
    HyperLinkLabel* web = nullptr;
    TransparentEdit* author = nullptr;
    QImage picture; // JPEG 135, top-down; null when the resource is missing or bad
};

} // namespace orbit
