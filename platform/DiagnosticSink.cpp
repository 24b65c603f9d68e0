#include "DiagnosticSink.h"

#include <cstdio>

namespace orbit {

void StdoutSink::write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void StdoutSink::warn(std::string_view line)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

} // namespace orbit
