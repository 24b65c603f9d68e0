#include "DiagnosticSink.h"

#include <cstdio>

namespace orbit {

void StdoutSink::write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace orbit
