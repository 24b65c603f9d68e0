// One line per tick, flushed at once so a test can read the file while the
// program runs.
#include "TickLog.h"

#include <chrono>

namespace orbit {

TickLog::TickLog(const std::string& path) : file(std::fopen(path.c_str(), "a")) {}

void TickLog::record()
{
    if (!file)
        return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(file.get(), "%lld\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    std::fflush(file.get());
}

} // namespace orbit
