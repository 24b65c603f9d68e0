// orbit-patrol-inspect: shows what the screensaver would make of an image or a
// 3DS file, and renders frames of the scene without a display.
#include "ToolCommands.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace orbit::inspect {

namespace {
struct Command {
    std::string_view name;
    int (*run)(Arguments);
};

constexpr Command commands[] = {
    {"jpeg", runJpeg}, {"bmp", runBmp}, {"tga", runTga}, {"model", runModel}, {"render", runRender},
};
} // namespace

int usage()
{
    std::fputs("usage:\n"
               "  orbit-patrol-inspect jpeg (FILE | --resource ID) -o OUT.ppm\n"
               "  orbit-patrol-inspect bmp FILE -o OUT.ppm\n"
               "  orbit-patrol-inspect tga FILE -o OUT.pam\n"
               "  orbit-patrol-inspect model (FILE | --resource ID) [--json [--vertices]]\n"
               "  orbit-patrol-inspect render [--frames N] [--size WxH] [--model FILE] [--seed S]\n"
               "                              [--census-every N] -o OUT.png\n",
               stderr);
    return 2;
}

} // namespace orbit::inspect

int main(int argc, char** argv)
{
    using namespace orbit::inspect;
    if (argc < 2)
        return usage();
    const std::string_view name = argv[1];
    const std::vector<std::string_view> rest(argv + 2, argv + argc);
    for (const Command& command : commands) {
        if (command.name == name)
            return command.run(rest);
    }
    return usage();
}
