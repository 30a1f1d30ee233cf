// Media loading against the libraries it wraps, measured in the same run:
//   - a 1024 x 1024 RGBA PNG: decodePngFile against a bare libpng read;
//   - a 1024 x 1024 24-bit BMP: decodeBmpFile against reading the file;
//   - the last name of a 1000-entry archive: resolveMediaFile against bare
//     LZO1X decompression of the same entry (and against decompressing and
//     writing it to a file, the least an extraction to disk must do).
// The ratios are printed after the table.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <lzo/lzo1x.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/run_times.h"
#include "files/media_archive.h"
#include "gfx2d/bmp_decoder.h"
#include "gfx2d/png_decoder.h"
#include "tests/gfx2d/test_images.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 1024;
constexpr int kEntries = 1000;
constexpr size_t kEntrySize = 64 * 1024;

// --- Test data, made once in a private temporary folder ---------------------

uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::abort();
    }
    std::fclose(file);
}

// A picture with smooth areas and some noise, so that neither format's
// compression has it easy or hard.
std::vector<uint8_t> makePicture() {
    std::vector<uint8_t> rgba(static_cast<size_t>(kSide) * kSide * 4);
    uint32_t state = 12345;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(y) * kSide + x) * 4];
            uint8_t noise = static_cast<uint8_t>(nextRandom(state) & 15);
            p[0] = static_cast<uint8_t>(x / 4 + noise);
            p[1] = static_cast<uint8_t>(y / 4);
            p[2] = static_cast<uint8_t>((x ^ y) & 0xF0);
            p[3] = static_cast<uint8_t>(((x / 64 + y / 64) & 1) != 0 ? 255 : 128 + noise);
        }
    }
    return rgba;
}

std::string encodeBmp24(const std::vector<uint8_t>& rgba) {
    const size_t padding = ((kSide * 3 + 3) & ~3u) - kSide * 3;
    std::string rows;
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * kSide + x) * 4];
            rows += static_cast<char>(p[2]);
            rows += static_cast<char>(p[1]);
            rows += static_cast<char>(p[0]);
        }
        rows.append(padding, '\0');
    }
    return vorlan::test::bmpFile(kSide, kSide, 24, rows);
}

// Entry contents that LZO shrinks about as much as game data files.
std::string entryContent(int index) {
    std::string text;
    uint32_t state = static_cast<uint32_t>(index) + 1;
    while (text.size() < kEntrySize) {
        text += "cell ";
        text += std::to_string(nextRandom(state) % 5000);
        text += (nextRandom(state) & 3) == 0 ? " hedge\r\n" : " grass\r\n";
    }
    text.resize(kEntrySize);
    return text;
}

std::string lzoBlock(const std::string& content) {
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
    std::vector<unsigned char> packed(content.size() + content.size() / 16 + 64 + 3);
    lzo_uint size = packed.size();
    if (lzo1x_1_compress(reinterpret_cast<const unsigned char*>(content.data()), content.size(),
                         packed.data(), &size, work.data()) != LZO_E_OK) {
        std::abort();
    }
    std::string block;
    vorlan::test::appendLe(block, static_cast<uint32_t>(content.size()), 4);
    block.append(reinterpret_cast<const char*>(packed.data()), size);
    return block;
}

struct MediaFiles {
    fs::path folder;
    fs::path png;
    fs::path bmp;
    fs::path archive;
    std::string lastName;
    std::string lastBlock;  // the last entry's data block (size + stream)

    MediaFiles() {
        if (lzo_init() != LZO_E_OK) std::abort();
        std::string pattern = (fs::temp_directory_path() / "vorlan-media-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        // Extracted entries land here too.
        setenv("TMPDIR", folder.c_str(), 1);

        std::vector<uint8_t> picture = makePicture();
        png = folder / "picture.png";
        writeBytes(png, vorlan::test::rgbaPng({kSide, kSide, picture}));
        bmp = folder / "picture.bmp";
        writeBytes(bmp, encodeBmp24(picture));

        std::string bytes;
        std::string directory;
        for (int i = 0; i < kEntries; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "entry-%04d.dat", i);
            std::string block = lzoBlock(entryContent(i));
            directory += static_cast<char>(std::string(name).size());
            directory += name;
            vorlan::test::appendLe(directory, static_cast<uint32_t>(bytes.size()), 4);
            vorlan::test::appendLe(directory, static_cast<uint32_t>(block.size()), 4);
            bytes += block;
            if (i == kEntries - 1) {
                lastName = name;
                lastBlock = block;
            }
        }
        uint32_t directoryAt = static_cast<uint32_t>(bytes.size());
        bytes += directory;
        bytes += '\0';
        bytes += "viZ";
        vorlan::test::appendLe(bytes, directoryAt, 4);
        archive = folder / "media.viz";
        writeBytes(archive, bytes);
    }
    ~MediaFiles() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

MediaFiles& media() {
    static MediaFiles files;
    return files;
}

// --- PNG --------------------------------------------------------------------

void BM_Png_Vorlan(benchmark::State& state) {
    const std::string path = media().png.string();
    for (auto _ : state) {
        vorlan::PixelBuffer out;  // a fresh buffer per load, as loaders use
        if (!vorlan::decodePngFile(out, path.c_str(), -1)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.pixels());
    }
}

// The least any PNG load through libpng does: open, read header and rows.
void BM_Png_RawLibpng(benchmark::State& state) {
    const std::string path = media().png.string();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        std::vector<uint8_t> image;
        std::vector<png_bytep> rows;
        if (setjmp(png_jmpbuf(png))) std::abort();
        png_init_io(png, file);
        png_read_info(png, info);
        png_read_update_info(png, info);
        size_t rowBytes = png_get_rowbytes(png, info);
        png_uint_32 height = png_get_image_height(png, info);
        image.resize(rowBytes * height);
        for (png_uint_32 y = 0; y < height; ++y) rows.push_back(&image[y * rowBytes]);
        png_read_image(png, rows.data());
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        benchmark::DoNotOptimize(image.data());
    }
}

// --- BMP --------------------------------------------------------------------

void BM_Bmp_Vorlan(benchmark::State& state) {
    const std::string path = media().bmp.string();
    for (auto _ : state) {
        vorlan::PixelBuffer out;
        if (!vorlan::decodeBmpFile(out, path.c_str(), 0x8000FF)) {
            state.SkipWithError("decode failed");
        }
        benchmark::DoNotOptimize(out.pixels());
    }
}

// BMP has no library: the yardstick is reading the file into memory.
void BM_Bmp_RawRead(benchmark::State& state) {
    const std::string path = media().bmp.string();
    size_t size = fs::file_size(path);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (std::fread(bytes.get(), 1, size, file) != size) std::abort();
        std::fclose(file);
        benchmark::DoNotOptimize(bytes.get());
    }
}

// --- Archive ----------------------------------------------------------------

void BM_Archive_Vorlan(benchmark::State& state) {
    vorlan::ArchiveContext context;
    context.archiveName = media().archive.string();
    // Asked for as a loader would: behind a folder and in another case.
    std::string request = "data/" + media().lastName;
    for (char& c : request) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (auto _ : state) {
        vorlan::RtString path;
        if (vorlan::resolveMediaFile(context, request.c_str(), path) != 1) {
            state.SkipWithError("not found");
        }
        benchmark::DoNotOptimize(path.cStr());
    }
    vorlan::deletePendingExtraction(context);
}

void BM_Archive_RawLzo(benchmark::State& state) {
    const std::string& block = media().lastBlock;
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> out(new uint8_t[kEntrySize]);
        lzo_uint size = kEntrySize;
        if (lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(block.data()) + 4,
                                  block.size() - 4, out.get(), &size, nullptr) != LZO_E_OK) {
            std::abort();
        }
        benchmark::DoNotOptimize(out.get());
    }
}

// Decompressing and then writing the entry out to a temporary file, as any
// extraction to disk must, and deleting it again.
void BM_Archive_RawLzoToFile(benchmark::State& state) {
    const std::string& block = media().lastBlock;
    const std::string path = (media().folder / "raw-extraction.dat").string();
    for (auto _ : state) {
        ::unlink(path.c_str());
        std::unique_ptr<uint8_t[]> out(new uint8_t[kEntrySize]);
        lzo_uint size = kEntrySize;
        if (lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(block.data()) + 4,
                                  block.size() - 4, out.get(), &size, nullptr) != LZO_E_OK) {
            std::abort();
        }
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::write(fd, out.get(), size) != static_cast<ssize_t>(size)) std::abort();
        ::close(fd);
    }
    ::unlink(path.c_str());
}

BENCHMARK(BM_Png_Vorlan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Png_RawLibpng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Bmp_Vorlan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Bmp_RawRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Archive_Vorlan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Archive_RawLzo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Archive_RawLzoToFile)->Unit(benchmark::kMicrosecond);

// Prints the table as usual and remembers each benchmark's time per
// iteration, for the ratios.
class RatioReporter : public vorlan::bench::RunTimesReporter {
  public:
    void printRatios() const {
        std::printf("\nRatios (time per load, same run):\n");
        ratio("PNG 1024x1024 RGBA: decodePngFile / raw libpng read", "BM_Png_Vorlan",
              "BM_Png_RawLibpng");
        ratio("BMP 1024x1024 24-bit: decodeBmpFile / raw file read", "BM_Bmp_Vorlan",
              "BM_Bmp_RawRead");
        ratio("Archive, last of 1000 entries: resolveMediaFile / raw LZO1X decompression",
              "BM_Archive_Vorlan", "BM_Archive_RawLzo");
        ratio("Archive, last of 1000 entries: resolveMediaFile / raw LZO1X + file write",
              "BM_Archive_Vorlan", "BM_Archive_RawLzoToFile");
    }

  protected:
    void keep(const benchmark::BenchmarkName& name, double realSeconds, double) override {
        Time& time = times_[name.function_name];
        time.total += realSeconds;
        time.count += 1;
    }

  private:
    struct Time {
        double total = 0;
        int count = 0;
    };
    void ratio(const char* label, const std::string& own, const std::string& base) const {
        auto a = times_.find(own);
        auto b = times_.find(base);
        if (a == times_.end() || b == times_.end()) return;
        double ownTime = a->second.total / a->second.count;
        double baseTime = b->second.total / b->second.count;
        std::printf("  %-78s %6.2f  (%.1f us / %.1f us)\n", label, ownTime / baseTime,
                    ownTime * 1e6, baseTime * 1e6);
    }
    std::map<std::string, Time> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    media();  // made before the clock runs
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
