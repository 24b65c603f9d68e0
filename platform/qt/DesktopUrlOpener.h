// Opens a link target ("http://…", "mailto:…") with the desktop's default
// browser or mail client.
#pragma once

#include "platform/UrlOpener.h"

namespace orbit {

class DesktopUrlOpener final : public UrlOpener {
public:
    // True when the desktop accepted the target; text that is no valid URL is
    // refused without asking it.
    bool open(std::string_view target) override;
};

} // namespace orbit
