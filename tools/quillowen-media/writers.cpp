#include "writers.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace media {

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File openForWriting(const std::string& path) {
    return File(std::fopen(path.c_str(), "wb"), &std::fclose);
}

void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    File file = openForWriting(path);
    if (!file) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

}  // namespace

bool writePng(const std::string& path, const Canvas& canvas) {
    File file = openForWriting(path);
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<uint8_t> rows(canvas.width() * canvas.height() * 4);
    for (size_t i = 0; i < canvas.pixels().size(); ++i) {
        const Colour& c = canvas.pixels()[i];
        rows[i * 4] = c.r;
        rows[i * 4 + 1] = c.g;
        rows[i * 4 + 2] = c.b;
        rows[i * 4 + 3] = c.a;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, canvas.width(), canvas.height(), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < canvas.height(); ++y) png_write_row(png, &rows[y * canvas.width() * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writeBmp24(const std::string& path, const Canvas& canvas) {
    const uint32_t rowBytes = (canvas.width() * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * canvas.height();
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putLe(out, 54 + dataBytes, 4);
    putLe(out, 0, 4);
    putLe(out, 54, 4);
    putLe(out, 40, 4);  // the plain info header
    putLe(out, canvas.width(), 4);
    putLe(out, canvas.height(), 4);
    putLe(out, 1, 2);
    putLe(out, 24, 2);
    putLe(out, 0, 4);  // no compression
    putLe(out, dataBytes, 4);
    putLe(out, 2835, 4);
    putLe(out, 2835, 4);
    putLe(out, 0, 4);
    putLe(out, 0, 4);
    for (int y = canvas.height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.width(); ++x) {
            Colour c = canvas.at(x, y);
            if (c.a == 0) c = Colour{0, 0, 0, 0};
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (uint32_t pad = canvas.width() * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return writeAll(path, out);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    for (char c : std::string("RIFF")) out.push_back(c);
    putLe(out, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt ")) out.push_back(c);
    putLe(out, 16, 4);
    putLe(out, 1, 2);  // PCM
    putLe(out, 1, 2);  // mono
    putLe(out, sampleRate, 4);
    putLe(out, sampleRate * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    for (char c : std::string("data")) out.push_back(c);
    putLe(out, dataBytes, 4);
    for (int16_t s : samples) putLe(out, static_cast<uint16_t>(s), 2);
    return writeAll(path, out);
}

}  // namespace media
