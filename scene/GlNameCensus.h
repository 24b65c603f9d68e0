// Soak-run instrumentation: how many texture and display-list names are alive
// in the current GL context, and the process's resident memory. A long run
// that leaks nothing keeps both counts constant and its memory flat. Names are
// probed from 1 to probeLimit, the range drivers hand them out from.
#pragma once

#include <string>

namespace orbit {

struct GlNameCensus {
    int textures = 0;
    int lists = 0;
    long residentKiB = 0; // 0 when /proc cannot be read
};

inline constexpr unsigned glNameProbeLimit = 65536;

// Needs a current context; costs a few milliseconds, so call it now and then.
GlNameCensus takeGlNameCensus(unsigned probeLimit = glNameProbeLimit);

// "frame <n> rss_kib <k> textures <t> lists <l>", the line soak scripts read.
std::string censusLine(long frame, const GlNameCensus& census);

} // namespace orbit
