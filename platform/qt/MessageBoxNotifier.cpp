// QMessageBox with the requested buttons and icon. Escape or the close
// button on a Retry/Cancel box means Cancel, on an OK box OK.
#include "MessageBoxNotifier.h"

#include <QMessageBox>

namespace orbit {

MessageReply MessageBoxNotifier::show(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    QMessageBox box;
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    if (buttons == MessageButtons::RetryCancel) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Retry:
        return MessageReply::Retry;
    case QMessageBox::Cancel:
        return MessageReply::Cancel;
    default:
        // A Retry/Cancel box closed any other way counts as Cancel, so a
        // caller's retry loop always has a way out.
        return buttons == MessageButtons::RetryCancel ? MessageReply::Cancel : MessageReply::Ok;
    }
}

} // namespace orbit
