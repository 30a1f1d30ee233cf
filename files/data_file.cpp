#include "files/data_file.h"

#include <vorlan/app.h>
#include <vorlan/files.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/warnings.h"
#include "files/file_names.h"
#include "files/media_archive.h"
#include "files/read_buffer.h"
#include "platform/directory.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "platform/temp_dir.h"

namespace vorlan {

namespace {

constexpr int kLineCount = 256;

struct DataLineFile {
    // The name as the game gave it; switching compares it byte for byte.
    std::string name;
    // Where the file is saved: absolute, so a change of directory in
    // between does not move it.
    std::string path;
    // Every line of the file, also those past the numbered ones, so that
    // a save gives them back.
    std::vector<std::string> lines;
    bool readable = false;
    bool changed = false;
    // Why the file could not be read.
    std::string cause = "not found";
};

DataLineFile current;

void saveDataFile() {
    if (!current.changed || current.path.empty()) return;
    current.changed = false;
    std::string text;
    for (const std::string& line : current.lines) text += line + "\r\n";
    if (!platform::replaceFile(current.path, text)) {
        raiseError(RuntimeError::FileFailed);
        warnFailedFile("save data file", current.path.c_str(), "", "not writable");
    }
}

void loadLines(const std::string& resolvedPath) {
    int fd = platform::openFileForReading(resolvedPath);
    if (fd < 0) {
        current.cause = fileErrorCause(errno);
        return;
    }
    ReadBuffer reader(fileSource(fd));
    std::string line;
    while (reader.readLine(line)) current.lines.push_back(line);
    current.readable = !reader.failed();
    if (!current.readable) current.cause = "read error";
    platform::closeFile(fd);
}

void switchTo(const RtString& name) {
    if (current.name == name.cStr() && !current.name.empty()) return;
    closeDataFile();
    current.name = name.cStr();
    std::string path;
    if (nativeFileName(name, path)) {
        current.path = platform::absolutePath(path);
        RtString resolved;
        if (resolveMediaName(name.cStr(), resolved) != 0) {
            loadLines(platform::nativePath(resolved.cStr()));
        }
    }
    if (!current.readable) raiseError(RuntimeError::FileFailed);
}

// Line numbers are tested on the double, so NaN and huge numbers are out.
bool lineNumberOf(double line, size_t& index) {
    if (!(line > -1.0 && line < kLineCount)) {
        raiseError(RuntimeError::OutOfRange);
        return false;
    }
    index = static_cast<size_t>(static_cast<int>(line));
    return true;
}

}  // namespace

void closeDataFile() {
    saveDataFile();
    current = DataLineFile();
}

RtString readDataLine(const RtString& name, double line) {
    size_t index = 0;
    if (!lineNumberOf(line, index)) return RtString("NO_DATA");
    switchTo(name);
    if (!current.readable) {
        warnFailedFile("read data file", name.cStr(), "", current.cause);
        return RtString("NO_FILE");
    }
    if (index >= current.lines.size()) return RtString("NO_DATA");
    std::string text = current.lines[index];
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 32) text.pop_back();
    return RtString(text.empty() ? "NO_DATA" : text.c_str());
}

double readDataNumber(const RtString& name, double line) {
    return textToNumber(readDataLine(name, line));
}

void writeDataLine(const RtString& name, double line, const RtString& text) {
    size_t index = 0;
    if (!lineNumberOf(line, index)) return;
    switchTo(name);
    // A line break or an over-long text would shift every later line when
    // the file is read again.
    std::string stored = text.cStr();
    stored.resize(std::min({stored.size(), stored.find_first_of("\r\n"), kLongestLine}));
    if (current.lines.size() <= index) current.lines.resize(index + 1);
    current.lines[index] = stored;
    current.readable = true;
    current.changed = true;
}

void writeDataNumber(const RtString& name, double line, double value) {
    writeDataLine(name, line, numberToText(value));
}

}  // namespace vorlan
