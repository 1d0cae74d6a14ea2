// Placeholder until this part of hostsim is written.
#include "hostsim/builtins.h"

namespace hs {
void registerDbClasses() {}
}  // namespace hs
