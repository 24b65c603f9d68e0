// UserNotifier shown with QMessageBox: OK, or Retry/Cancel with the question
// icon. The dialogs use it when their caller hands them no notifier of its own.
#pragma once

#include "platform/UserNotifier.h"

class QWidget;

namespace orbit {

class MessageBoxNotifier final : public UserNotifier {
public:
    explicit MessageBoxNotifier(QWidget* owner = nullptr, std::string applicationTitle = "orbit-patrol")
        : UserNotifier(std::move(applicationTitle)), owner(owner)
    {
    }
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;

private:
    QWidget* owner;
};

} // namespace orbit
