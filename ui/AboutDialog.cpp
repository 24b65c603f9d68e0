// See AboutDialog.h. The controls are made by the template builder; this
// dialog only says which class each one becomes, then runs the initialisation
// in a fixed order: picture, visited flags, cube GL set-up, author line
// fitted, e-mail link, web link.
#include "AboutDialog.h"

#include "CubeButton.h"
#include "DibImageDrawing.h"
#include "HyperLinkLabel.h"
#include "TransparentEdit.h"
#include "TransparentLabel.h"
#include "image/DibImage.h"
#include "platform/SettingsStore.h"

#include <QPainter>
#include <QPalette>

namespace orbit {
namespace {
constexpr int okButtonId = 1;
constexpr int authorEditId = 1000;
constexpr int emailLinkId = 1011;
constexpr int webLinkId = 1012;
constexpr QRgb textColour = 0xFFE6E6E6; // (230, 230, 230)

QImage loadPicture(const ResourceProvider& resources)
{
    DibImage image;
    if (!image.loadJpegResource(resources, AboutDialog::pictureId))
        return {};
    return toQImage(image);
}
} // namespace

AboutDialog::AboutDialog(SettingsStore& settingsStore, const ResourceProvider& resources, UrlOpener& opener,
                         UserNotifier& notifier, QWidget* parent)
    : QDialog(parent), settings(settingsStore)
{
    const DialogTemplate* dialogTemplate = findDialogTemplate(dialogId::about);
    if (!dialogTemplate)
        return;
    const ControlFactory factory = [&](const ControlTemplate& control, QWidget* owner) -> QWidget* {
        switch (control.id) {
        case okButtonId:
            return cube = new CubeButton(resources, notifier, owner);
        case emailLinkId:
            return email = new HyperLinkLabel(opener, resources, owner);
        case webLinkId:
            return web = new HyperLinkLabel(opener, resources, owner);
        case authorEditId:
            return author = new TransparentEdit(owner);
        default:
            return control.kind == ControlKind::StaticText ? new TransparentLabel(owner) : nullptr;
        }
    };
    controls = buildDialog(*this, *dialogTemplate, resources, factory);
    // Our picture is a night sky, dark where the labels stand; the system's
    // black text would vanish there, so the labels and the author line are light.
    for (const auto& [id, widget] : controls.all()) {
        if (id == okButtonId)
            continue;
        QPalette lightText = widget->palette();
        lightText.setColor(QPalette::WindowText, QColor(textColour));
        lightText.setColor(QPalette::Text, QColor(textColour));
        widget->setPalette(lightText);
    }
    author->setText(QString::fromUtf8(authorLine.data(), static_cast<qsizetype>(authorLine.size())));

    picture = loadPicture(resources);
    const bool visitedWeb = settings.readInt(settings::section, settings::visitedHttpKey, 0) != 0;
    const bool visitedEmail = settings.readInt(settings::section, settings::visitedEmailKey, 0) != 0;
    if (cube->setUpGl())
        cube->setAnimationPeriod(cubeAnimationMs);
    author->fitToText();
    email->setLink(visitedEmail, std::string(emailTarget));
    web->setLink(visitedWeb, std::string(webTarget));
}

AboutDialog::~AboutDialog()
{
    if (!web || !email)
        return;
    settings.writeInt(settings::section, settings::visitedHttpKey, web->isVisited() ? 1 : 0);
    settings.writeInt(settings::section, settings::visitedEmailKey, email->isVisited() ? 1 : 0);
}

void AboutDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawStretched(painter, picture, width(), height());
}

} // namespace orbit
