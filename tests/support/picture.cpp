#include "support/picture.h"

#include <sstream>

#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {

Picture Picture::crop(int32_t x, int32_t y, int32_t w, int32_t h) const {
    Picture part = picture(w, h);
    for (int32_t row = 0; row < h; ++row) {
        std::copy(at(x, y + row), at(x, y + row) + w * 4, part.at(0, row));
    }
    return part;
}

Picture picture(int32_t width, int32_t height, uint32_t rgba) {
    Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(rgba >> (24 - 8 * (i % 4)));
    return p;
}

Picture loadPicture(const std::string& source) {
    // PAM with four channels, whatever the source holds.
    std::string pam = runToEnd({"convert", source, "-depth", "8", "-alpha", "on", "-type",
                                "TrueColorAlpha", "pam:-"})
                          .out;
    size_t end = pam.find("ENDHDR\n");
    if (!pam.starts_with("P7\n") || end == std::string::npos) return {};
    std::istringstream header(pam.substr(3, end - 3));
    int32_t width = 0, height = 0, depth = 0;
    for (std::string key; header >> key;) {
        if (key == "WIDTH") header >> width;
        if (key == "HEIGHT") header >> height;
        if (key == "DEPTH") header >> depth;
        if (key == "MAXVAL" || key == "TUPLTYPE") header.ignore(64, '\n');
    }
    Picture p = picture(width, height);
    if (depth != 4 || pam.size() - end - 7 != p.pixels.size()) return {};
    std::copy(pam.begin() + static_cast<ptrdiff_t>(end + 7), pam.end(), p.pixels.begin());
    return p;
}

double meanDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
    TempFolder scratch;
    std::string files[2];
    for (int i = 0; i < 2; ++i) {
        const Picture& p = i == 0 ? a : b;
        std::string ppm =
            "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
        for (size_t k = 0; k < p.pixels.size(); ++k) {
            if (k % 4 != 3) ppm += char(p.pixels[k]);
        }
        files[i] = scratch.file(i == 0 ? "a.ppm" : "b.ppm").string();
        writeWholeFile(files[i], ppm);
    }
    // "absolute (normalized)" on standard error; status 1 when they differ.
    ProcessResult r = runToEnd({"compare", "-metric", "MAE", files[0], files[1], "null:"});
    size_t open = r.err.find('(');
    if (r.exitCode < 0 || r.exitCode > 1 || open == std::string::npos) return 255;
    return std::stod(r.err.substr(open + 1)) * 255;
}

}  // namespace vorlan::test
