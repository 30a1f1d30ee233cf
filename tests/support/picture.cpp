#include "support/picture.h"

#include <cstdlib>
#include <sstream>

#include "support/subprocess.h"

namespace vorlan::test {

Picture picture(int32_t width, int32_t height, uint32_t rgba) {
    Picture p{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(rgba >> (24 - 8 * (i % 4)));
    return p;
}

Picture loadPicture(const std::string& source) {
    // The size on a line of its own, then the RGBA bytes.
    ProcessResult r =
        runToEnd({"convert", source, "-depth", "8", "-alpha", "on", "-print", "%w %h\n", "rgba:-"});
    int32_t width = 0, height = 0;
    std::istringstream(r.out) >> width >> height;
    Picture p = picture(width, height);
    size_t start = r.out.find('\n') + 1;
    if (r.exitCode != 0 || start == 0 || r.out.size() - start != p.pixels.size()) return {};
    std::copy(r.out.begin() + static_cast<ptrdiff_t>(start), r.out.end(), p.pixels.begin());
    return p;
}

double meanDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (i % 4 != 3) sum += std::abs(a.pixels[i] - b.pixels[i]);
    }
    return sum / (a.pixels.size() / 4 * 3);
}

}  // namespace vorlan::test
