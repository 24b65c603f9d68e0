// Placeholder until its module lands: the subcommands answer with the usage text.
#include "InspectCommands.h"

namespace orbit::inspect {

int runModel(Arguments) { return usage(); }

} // namespace orbit::inspect
