#include "core/runtime_state.h"

namespace vorlan {

RuntimeSettings runtimeSettings;
FrameState frameState;
ErrorState errorState;

}  // namespace vorlan
