// The host's own commands (LINE, ERASE, UNDO, -ARRAY, WBLOCK, ...), registered
// in the command group "ACAD" when the session starts.
#pragma once

namespace hs {
void registerBuiltinCommands();
}
