// Opens a link target in the desktop's browser or mail client.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbit {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(std::string_view target) = 0;
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
