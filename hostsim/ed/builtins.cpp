// Registration of the host's own commands.
#include "hostsim/builtins.h"

namespace hs {
void registerBuiltinCommands() {
    registerSessionCommands();
    registerEditCommands();
    registerFileCommands();
}
}  // namespace hs
