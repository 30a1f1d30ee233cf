// The line-indexed data file behind readDataLine and friends.
#pragma once

namespace vorlan {

// Saves a changed data file and forgets it; for the runtime's shutdown.
void closeDataFile();

}  // namespace vorlan
