// Placeholder until its module lands: the subcommands answer with the usage text.
#include "InspectCommands.h"

namespace orbit::inspect {

int runJpeg(Arguments) { return usage(); }

int runBmp(Arguments) { return usage(); }

int runTga(Arguments) { return usage(); }

} // namespace orbit::inspect
