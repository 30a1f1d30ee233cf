// The channel table, for the runtime's own shutdown.
#pragma once

namespace vorlan {

void closeAllChannels();

}  // namespace vorlan
