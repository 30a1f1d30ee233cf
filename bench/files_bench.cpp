// File channels against the plain C and C++ reads beside them, on one
// 100 MB text file: by lines (readLine / std::getline) and by bytes
// (readByte / fread of one byte); and an INI look-up in a 1000-entry
// document. Compare the pairs' times for the channel layer's overhead.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <vorlan/files.h>

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 100u << 20;
constexpr int kSections = 10;
constexpr int kKeysPerSection = 100;

// Made once, before the clock runs; removed at exit.
struct Files {
    fs::path folder = fs::temp_directory_path() / "vorlan-files-bench";
    fs::path text = folder / "lines.txt";
    fs::path ini = folder / "big.ini";

    Files() {
        fs::create_directories(folder);
        std::string bytes;
        bytes.reserve(kFileBytes + 256);
        uint32_t state = 1;
        while (bytes.size() < kFileBytes) {
            state = state * 1664525u + 1013904223u;
            bytes.append((state >> 8) % 120, static_cast<char>('a' + (state >> 4) % 26));
            bytes += "\r\n";
        }
        std::ofstream(text, std::ios::binary) << bytes;
        std::ofstream out(ini, std::ios::binary);
        for (int s = 0; s < kSections; ++s) {
            out << "[section" << s << "]\r\n";
            for (int k = 0; k < kKeysPerSection; ++k) out << "key" << k << "=value" << k << "\r\n";
        }
    }
    ~Files() { fs::remove_all(folder); }
};

const Files& files() {
    static Files made;
    return made;
}

void BM_Lines_Channel(benchmark::State& state) {
    vorlan::RtString name = files().text.c_str();
    for (auto _ : state) {
        vorlan::openChannel(0, name, 1);
        size_t total = 0;
        while (vorlan::endOfChannel(0) == 0) total += vorlan::readLine(0).length();
        vorlan::closeChannel(0);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(files().text)));
}

void BM_Lines_Getline(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(files().text, std::ios::binary);
        std::string line;
        size_t total = 0;
        while (std::getline(in, line)) total += line.size();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(files().text)));
}

void BM_Bytes_Channel(benchmark::State& state) {
    vorlan::RtString name = files().text.c_str();
    size_t size = fs::file_size(files().text);
    for (auto _ : state) {
        vorlan::openChannel(0, name, 1);
        double sum = 0;
        for (size_t i = 0; i < size; ++i) sum += vorlan::readByte(0);
        vorlan::closeChannel(0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_Bytes_Fread(benchmark::State& state) {
    size_t size = fs::file_size(files().text);
    for (auto _ : state) {
        std::FILE* in = std::fopen(files().text.c_str(), "rb");
        double sum = 0;
        unsigned char byte = 0;
        for (size_t i = 0; i < size; ++i) {
            if (std::fread(&byte, 1, 1, in) != 1) break;
            sum += byte;
        }
        std::fclose(in);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_IniLookup(benchmark::State& state) {
    vorlan::openIniFile(files().ini.c_str());
    int i = 0;
    for (auto _ : state) {
        int s = i % kSections;
        int k = (i * 37) % kKeysPerSection;
        ++i;
        vorlan::RtString section = ("Section" + std::to_string(s)).c_str();
        vorlan::RtString key = ("KEY" + std::to_string(k)).c_str();
        benchmark::DoNotOptimize(vorlan::readIniValue(section, key).length());
    }
}

BENCHMARK(BM_Lines_Channel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Lines_Getline)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Bytes_Channel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Bytes_Fread)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IniLookup);

}  // namespace
