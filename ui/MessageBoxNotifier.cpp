// See MessageBoxNotifier.h.
#include "MessageBoxNotifier.h"

#include <QMessageBox>

namespace orbit {

MessageReply MessageBoxNotifier::show(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    const QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString title = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    if (buttons == MessageButtons::RetryCancel) {
        const auto reply = QMessageBox::question(owner, title, body, QMessageBox::Retry | QMessageBox::Cancel);
        return reply == QMessageBox::Retry ? MessageReply::Retry : MessageReply::Cancel;
    }
    QMessageBox::warning(owner, title, body, QMessageBox::Ok);
    return MessageReply::Ok;
}

} // namespace orbit
