// User messages as Qt message boxes: OK, or Retry/Cancel with the question
// icon, modal, without an owner. A QApplication must exist when one is shown.
#pragma once

#include "platform/UserNotifier.h"

namespace orbit {

class MessageBoxNotifier final : public UserNotifier {
public:
    using UserNotifier::UserNotifier;
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;
};

} // namespace orbit
