#include "UserNotifier.h"

#include <cstdio>

namespace orbit {

MessageReply StderrNotifier::show(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    if (caption.empty())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    else
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    return buttons == MessageButtons::Ok ? MessageReply::Ok : MessageReply::Cancel;
}

MessageReply CollectingNotifier::show(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    messages.push_back({std::string(caption), std::string(text)});
    return buttons == MessageButtons::Ok ? MessageReply::Ok : MessageReply::Cancel;
}

} // namespace orbit
