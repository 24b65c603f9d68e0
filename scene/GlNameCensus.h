// Soak-run instrumentation: how many texture and display-list names are alive
// in the current GL context, and the process's resident memory. A long run
// that leaks nothing keeps both counts constant and its memory flat. Drivers
// hand names out upwards and need not reuse a freed one soon (the fire texture
// gets a new name every frame), so every name from 1 up to a freshly made one
// is probed.
#pragma once

#include <string>

namespace orbit {

struct GlNameCensus {
    int textures = 0;
    int lists = 0;
    long residentKiB = 0; // 0 when /proc cannot be read
};

// Needs a current context; costs about a millisecond per ten thousand names
// handed out so far, so call it now and then.
GlNameCensus takeGlNameCensus();

// "frame <n> rss_kib <k> textures <t> lists <l>", the line soak scripts read.
std::string censusLine(long frame, const GlNameCensus& census);

} // namespace orbit
