// Opens a link target in the desktop's browser or mail client.
#pragma once

#include <string>
#include <string_view>

namespace orbit {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(std::string_view target) = 0;
};

} // namespace orbit
