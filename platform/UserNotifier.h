// What the user must see: message boxes on Windows. The program shows them with
// QMessageBox (platform/qt), tests record them, tools print them on stderr.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbit {

enum class MessageButtons { Ok, RetryCancel };
enum class MessageReply { Ok, Retry, Cancel };

class UserNotifier {
public:
    virtual ~UserNotifier() = default;
    // Shows text under caption (which may be empty) and returns the button
    // pressed. RetryCancel boxes carry the question icon.
    virtual MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) = 0;
};

// Prints "caption: text" on stderr; answers Ok, or Cancel to Retry/Cancel so a
// tool never loops on a question nobody can answer.
class StderrNotifier final : public UserNotifier {
public:
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;
};

// Remembers every message. Retry/Cancel questions get the scripted replies in
// order, then Cancel.
class RecordingNotifier final : public UserNotifier {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };

    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;

    std::vector<Message> messages;
    std::vector<MessageReply> scriptedReplies;

private:
    std::size_t nextReply = 0;
};

} // namespace orbit
