#include "audio/video_input.h"

#include "platform/typed_input.h"

namespace vorlan {

bool videoInterrupted() {
    return platform::characterTypedOrButtonHeld();
}

}  // namespace vorlan
