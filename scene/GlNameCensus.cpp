#include "GlNameCensus.h"

#include "image/GlObjects.h"

#include <GL/gl.h>

#include <algorithm>
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

GlNameCensus takeGlNameCensus()
{
    GlNameCensus census;
    // A driver that never reuses names hands out fresh ones above every name
    // in use; one that reuses them keeps the names in use low. The fresh names
    // are not counted themselves and are deleted again on return.
    constexpr GLuint lowNames = 65536;
    const GlTexture textureMark = GlTexture::generate();
    const GlDisplayList listMark = GlDisplayList::generate();
    for (GLuint name = 1; name < std::max(textureMark.name(), lowNames); ++name)
        census.textures += name != textureMark.name() && glIsTexture(name) == GL_TRUE;
    for (GLuint name = 1; name < std::max(listMark.name(), lowNames); ++name)
        census.lists += name != listMark.name() && glIsList(name) == GL_TRUE;
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
