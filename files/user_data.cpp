// The folder for a game's saves.
#include <vorlan/app.h>
#include <vorlan/files.h>

#include <string>

#include "platform/program_path.h"
#include "platform/user_data.h"

namespace vorlan {

RtString userDataFolder() {
    std::string why;
    std::string folder = platform::userDataFolder(platform::programName(), why);
    if (folder.empty()) appendErrorLog(("userDataFolder: " + why).c_str());
    return folder;
}

}  // namespace vorlan
