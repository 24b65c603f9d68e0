#include "GlNameCensus.h"

#include <GL/gl.h>

#include <cstdio>
#include <unistd.h>

namespace orbit {

namespace {

long residentKiB()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    long sizePages = 0, residentPages = 0;
    const bool read = std::fscanf(statm, "%ld %ld", &sizePages, &residentPages) == 2;
    std::fclose(statm);
    return read ? residentPages * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

} // namespace

GlNameCensus takeGlNameCensus(unsigned probeLimit)
{
    GlNameCensus census;
    for (GLuint name = 1; name <= probeLimit; ++name) {
        census.textures += glIsTexture(name) == GL_TRUE;
        census.lists += glIsList(name) == GL_TRUE;
    }
    census.residentKiB = residentKiB();
    return census;
}

std::string censusLine(long frame, const GlNameCensus& census)
{
    char line[128];
    std::snprintf(line, sizeof line, "frame %ld rss_kib %ld textures %d lists %d", frame, census.residentKiB,
                  census.textures, census.lists);
    return line;
}

} // namespace orbit
