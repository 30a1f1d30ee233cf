// The libraries loaded for foreign calls, released at the very end of the
// program.
#pragma once

namespace vorlan {

// Closes every library in the reverse order of loading and empties the
// table. Runs after everything that might still call into them.
void closeForeignLibraries();

}  // namespace vorlan
