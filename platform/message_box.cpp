#include "platform/message_box.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorlan::platform {

bool dialogsDisabled() {
    const char* value = std::getenv("VORLAN_NO_DIALOGS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void showWarningBox(const char* caption, const char* text) {
    if (dialogsDisabled()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, nullptr);
}

void beep() {
    if (isatty(STDERR_FILENO)) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}

}  // namespace vorlan::platform
