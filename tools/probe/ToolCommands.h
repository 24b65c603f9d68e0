// The subcommands of orbit-patrol-inspect. Each takes the arguments after its
// own name and returns the process exit status: 0 done, 1 the input could not
// be used (one line on stderr), 2 bad invocation (usage on stderr).
#pragma once

#include <span>
#include <string_view>

namespace orbit::inspect {

using Arguments = std::span<const std::string_view>;

int runJpeg(Arguments args);   // ImageCommands.cpp
int runBmp(Arguments args);    // ImageCommands.cpp
int runTga(Arguments args);    // ImageCommands.cpp
int runModel(Arguments args);  // ModelCommand.cpp
int runRender(Arguments args); // RenderCommand.cpp

// Prints the whole usage text on stderr and returns 2.
int usage();

} // namespace orbit::inspect
