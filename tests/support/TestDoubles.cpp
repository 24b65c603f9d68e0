#include "TestDoubles.h"

namespace orbit {

MessageReply RecordingNotifier::show(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    messages.push_back({std::string(text), std::string(caption), buttons});
    if (buttons == MessageButtons::Ok)
        return MessageReply::Ok;
    if (nextReply < scriptedReplies.size())
        return scriptedReplies[nextReply++];
    return MessageReply::Cancel;
}

} // namespace orbit
