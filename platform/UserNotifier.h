// What the user must see: message boxes. The program shows them with
// QMessageBox (platform/qt), tools print them on stderr or collect them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orbit {

enum class MessageButtons { Ok, RetryCancel };
enum class MessageReply { Ok, Retry, Cancel };

class UserNotifier {
public:
    explicit UserNotifier(std::string applicationTitle = "orbit-patrol") : appTitle(std::move(applicationTitle)) {}
    virtual ~UserNotifier() = default;
    // Shows text under caption (which may be empty: "Ups!" and the pixel-format
    // failures have none) and returns the button pressed. RetryCancel boxes
    // carry the question icon.
    virtual MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) = 0;
    // The framework's message box: the caption is the application's title (the
    // program file's base name). Loading failures use this one.
    MessageReply showAppMessage(std::string_view text, MessageButtons buttons = MessageButtons::Ok)
    {
        return show(text, appTitle, buttons);
    }
    const std::string& applicationTitle() const { return appTitle; }

private:
    std::string appTitle;
};

// Prints "caption: text" on stderr; answers Ok, or Cancel to Retry/Cancel so a
// tool never loops on a question nobody can answer.
class StderrNotifier final : public UserNotifier {
public:
    using UserNotifier::UserNotifier;
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;
};

// Keeps the messages for a caller that reports them in its own form (the
// inspect tool's report, the model check's first error line). A question is
// answered Cancel, so loading never waits on one.
class CollectingNotifier final : public UserNotifier {
public:
    using UserNotifier::UserNotifier;
    struct Message {
        std::string caption;
        std::string text;
    };
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override;
    std::vector<Message> messages;
};

} // namespace orbit
