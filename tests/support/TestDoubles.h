// Stand-ins for the platform services that record what they were asked to
// do, so a test can check it.
#pragma once

#include "platform/DiagnosticSink.h"
#include "platform/PasswordService.h"
#include "platform/SoundPlayer.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orbit {

// Remembers every message. Retry/Cancel questions get the scripted replies in
// order, then Cancel.
class RecordingNotifier final : public UserNotifier {
public:
    using UserNotifier::UserNotifier;
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };

    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override
    {
        messages.push_back({std::string(text), std::string(caption), buttons});
        if (buttons == MessageButtons::Ok)
            return MessageReply::Ok;
        return nextReply < scriptedReplies.size() ? scriptedReplies[nextReply++] : MessageReply::Cancel;
    }

    std::vector<Message> messages;
    std::vector<MessageReply> scriptedReplies;

private:
    std::size_t nextReply = 0;
};

class RecordingSink final : public DiagnosticSink {
public:
    void write(std::string_view text) override { recorded += text; }
    void warn(std::string_view line) override { warnings += std::string(line) + "\n"; }
    std::string recorded;
    std::string warnings;
};

// Records what was prepared and counts the plays; play succeeds after a prepare.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    bool prepare(std::span<const std::uint8_t> wavBytes) override
    {
        prepared.push_back(wavBytes.size());
        return true;
    }
    bool play() override
    {
        ++plays;
        return !prepared.empty();
    }
    std::vector<std::size_t> prepared; // byte size of each sound prepared
    int plays = 0;
};

class RecordingPasswordService final : public PasswordService {
public:
    void changePassword(std::string_view providerName, std::intptr_t parentWindow) override
    {
        ++calls;
        lastProvider = providerName;
        lastParent = parentWindow;
    }
    int calls = 0;
    std::string lastProvider;
    std::intptr_t lastParent = 0;
};

class RecordingUrlOpener final : public UrlOpener {
public:
    bool open(std::string_view target) override
    {
        opened.emplace_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

} // namespace orbit
