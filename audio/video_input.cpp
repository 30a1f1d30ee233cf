#include "audio/video_input.h"

#include <vorlan/input.h>

namespace vorlan {

bool videoInterrupted() {
    return keyCharPressed() != 0 || anyMouseButton() != 0;
}

}  // namespace vorlan
