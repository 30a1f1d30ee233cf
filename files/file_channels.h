// The files subsystem's part of shutdown.
#pragma once

namespace vorlan {

// Pending data-file and INI changes are saved, then every channel closed.
void shutdownFiles();

}  // namespace vorlan
