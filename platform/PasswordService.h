// The screensaver password change (/a). Linux has no per-screensaver password
// provider (locking belongs to the screen locker), so the program's service
// finds none and does nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orbit {

class PasswordService {
public:
    virtual ~PasswordService() = default;
    virtual void changePassword(std::string_view providerName, std::intptr_t parentWindow) = 0;
};

class NoPasswordProvider final : public PasswordService {
public:
    void changePassword(std::string_view, std::intptr_t) override {}
};

} // namespace orbit
