// The files subsystem's part of shutdown: pending document changes are
// saved and the channels closed.
#pragma once

namespace vorlan {

void shutdownFiles();

}  // namespace vorlan
