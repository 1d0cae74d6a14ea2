// Placeholder until this part of hostsim is written.
#include "hostsim/builtins.h"

namespace hs {
void registerEntityClasses() {}
}  // namespace hs
