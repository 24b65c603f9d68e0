// Template-driven dialog construction (see DialogBuilder.h). Only the style
// bits with a Qt counterpart are read: visible, tab stop, default push button,
// right-aligned static, read-only edit, caption and system menu. The trackbar never draws ticks
// here, which is what TBS_NOTICKS asks for anyway.
#include "DialogBuilder.h"

#include "ResourceImages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace orbit {
namespace {

constexpr int applicationIconId = 128;
constexpr int okButtonId = 1;     // IDOK
constexpr int cancelButtonId = 2; // IDCANCEL

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* makeDefaultControl(const ControlTemplate& control, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        return new QPushButton(parent);
    case ControlKind::CheckBox:
        return new QCheckBox(parent);
    case ControlKind::StaticText: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        const bool right = (control.style & controlStyle::staticRight) != 0;
        label->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        label->setWordWrap(true); // SS_LEFT breaks lines at words
        return label;
    }
    case ControlKind::Edit:
        return new QLineEdit(parent);
    case ControlKind::Trackbar: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setTickPosition(QSlider::NoTicks);
        return slider;
    }
    case ControlKind::SpinBox:
        return new QSpinBox(parent); // an up-down control with its number edit
    }
    return new QWidget(parent);
}

void applyText(QWidget* widget, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
}

void applyWindowStyle(QDialog& dialog, const DialogTemplate& dialogTemplate)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    if (dialogTemplate.style & windowStyle::caption)
        flags |= Qt::WindowTitleHint;
    else
        flags |= Qt::FramelessWindowHint;
    if (dialogTemplate.style & windowStyle::systemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    dialog.setWindowFlags(flags);
    dialog.setWindowTitle(toQString(dialogTemplate.caption));
}

} // namespace

QWidget* DialogControls::control(int id) const
{
    for (const auto& [controlId, widget] : items) {
        if (controlId == id)
            return widget;
    }
    return nullptr;
}

DialogControls buildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, const ResourceProvider& resources,
                           const ControlFactory& factory)
{
    DialogControls controls;
    applyWindowStyle(dialog, dialogTemplate);
    const QIcon icon = resourceIcon(resources, applicationIconId);
    if (!icon.isNull())
        dialog.setWindowIcon(icon);

    const QFont font = dialogFont(dialogTemplate);
    dialog.setFont(font);
    controls.baseUnits = dialogBaseUnits(font);
    const PixelRect client =
        toPixels({0, 0, dialogTemplate.width, dialogTemplate.height}, controls.baseUnits);
    dialog.setFixedSize(client.width, client.height); // a modal frame does not resize

    QWidget* firstTabStop = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, &dialog) : nullptr;
        if (!widget)
            widget = makeDefaultControl(control, &dialog);
        const PixelRect rect = toPixels(control.rect, controls.baseUnits);
        widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
        if (!control.text.empty())
            applyText(widget, toQString(control.text));
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setReadOnly((control.style & controlStyle::editReadOnly) != 0);
        auto* button = qobject_cast<QPushButton*>(widget);
        if (button && control.kind == ControlKind::DefaultPushButton)
            button->setDefault(true);
        if (button && control.id == okButtonId)
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
        if (button && control.id == cancelButtonId)
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);

        const bool visible = (control.style & windowStyle::visible) != 0;
        const bool tabStop = (control.style & windowStyle::tabStop) != 0;
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
        widget->setVisible(visible);
        if (visible && tabStop && !firstTabStop)
            firstTabStop = widget;
        controls.add(control.id, widget);
    }
    // The dialog manager gives the focus to the first tab stop.
    if (firstTabStop)
        firstTabStop->setFocus(Qt::OtherFocusReason);
    return controls;
}

} // namespace orbit
