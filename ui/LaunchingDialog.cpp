// See LaunchingDialog.h. Template 130 has no caption, so the window is
// frameless; a raised panel drawn by a QFrame stands in for the modal frame.
#include "LaunchingDialog.h"

#include "DialogBuilder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMetaObject>
#include <QScreen>
#include <QWindow>

namespace orbit {

LaunchingDialog::LaunchingDialog(const ResourceProvider& resources, QWindow* owner)
    : dialog(std::make_unique<QDialog>())
{
    const DialogTemplate* dialogTemplate = findDialogTemplate(dialogId::launching);
    if (!dialogTemplate)
        return;
    auto* panel = new QFrame(dialog.get());
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    const DialogControls controls = buildDialog(*dialog, *dialogTemplate, resources);
    panel->setGeometry(0, 0, dialog->width(), dialog->height());
    panel->lower();
    status = controls.controlAs<QLabel>(statusTextId);
    dialog->setModal(false);
    // The template has no caption and the dialog shows none, but an untitled
    // window is named after the program by Qt and would be taken for the saver
    // window itself by window lists and by anything that looks windows up by
    // name.
    dialog->setWindowTitle(QStringLiteral("Launching Orbit Patrol"));

    dialog->winId(); // makes the native window so it can name its owner
    // Only a top-level window can own a dialog: a preview's is its host's.
    QWindow* topLevel = owner;
    while (topLevel && topLevel->parent())
        topLevel = topLevel->parent();
    if (topLevel && dialog->windowHandle())
        dialog->windowHandle()->setTransientParent(topLevel);
    QRect area;
    // A preview's geometry is relative to the host's window; the dialog is a
    // top-level window, so its owner's place is taken in screen coordinates.
    if (owner)
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    QRect placed(QPoint(), dialog->size());
    placed.moveCenter(area.center());
    dialog->move(placed.topLeft());
    dialog->show();
    dialog->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

LaunchingDialog::~LaunchingDialog() = default;

void LaunchingDialog::setStatusText(std::string_view text)
{
    if (!status)
        return;
    status->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (dialog->isVisible()) {
        status->repaint();
        // Hand the new pixels to the window system before the set-up goes on.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void LaunchingDialog::close()
{
    QMetaObject::invokeMethod(dialog.get(), &QWidget::close, Qt::QueuedConnection);
}

} // namespace orbit
