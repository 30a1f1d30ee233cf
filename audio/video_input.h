// What ends a video: a newly typed character key or a held mouse button.
#pragma once

namespace vorlan {

bool videoInterrupted();

}  // namespace vorlan
