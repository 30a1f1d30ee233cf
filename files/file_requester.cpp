#include <vorlan/system.h>

#include <string_view>

#include "gfx2d/game_window.h"
#include "platform/file_dialog.h"
#include "platform/program_path.h"
#include "platform/window.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

// "description|pattern|description|pattern": pairs, a pattern being one or
// more "*.ext" joined by ";". A description without a pattern is dropped.
std::vector<platform::FileFilter> parseFilter(std::string_view text) {
    std::vector<std::string> fields;
    for (size_t start = 0; start <= text.size();) {
        size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) bar = text.size();
        fields.emplace_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<platform::FileFilter> filters;
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        platform::FileFilter filter{fields[i], {}};
        std::string_view patterns = fields[i + 1];
        for (size_t start = 0; start <= patterns.size();) {
            size_t semicolon = patterns.find(';', start);
            if (semicolon == std::string_view::npos) semicolon = patterns.size();
            std::string_view pattern = patterns.substr(start, semicolon - start);
            if (!pattern.empty()) filter.patterns.emplace_back(pattern);
            start = semicolon + 1;
        }
        if (!filter.patterns.empty()) filters.push_back(std::move(filter));
    }
    return filters;
}

}  // namespace

RtString fileRequester(double open, const RtString& filter) {
    std::string folder = platform::currentDirectory();
    // The dialog cannot show over a full-screen surface. The player may
    // have switched since start-up: back to what was shown.
    bool wasFullscreen = gameWindow && gameWindow->fullscreen;
    if (gameWindow) gameWindow->hideSurface();
    std::string chosen;
    bool accepted = platform::chooseFile(truthOf(open), parseFilter(filter.cStr()), folder, chosen);
    // A folder change made in the dialog does not outlive it.
    if (!folder.empty()) platform::changeDirectory(folder);
    if (gameWindow) {
        if (!wasFullscreen) {
            gameWindow->leaveFullscreen();
        } else {
            gameWindow->enterFullscreen();
        }
    }
    // Without the focus the window would hold the game in the focus pause.
    platform::focusWindow();
    if (!accepted || chosen.empty()) return "NO_FILE";
    for (char& c : chosen) {
        if (c == '\\') c = '/';
    }
    return RtString(chosen.c_str());
}

}  // namespace vorlan
