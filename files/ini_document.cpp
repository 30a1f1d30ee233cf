#include "files/ini_document.h"

#include <vorlan/app.h>
#include <vorlan/files.h>

#include <algorithm>
#include <cerrno>

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

struct OpenIniDocument {
    IniDocument document;
    // Absolute, so a later setCurrentDirectory cannot redirect the save.
    std::string path;
    bool changed = false;
};

OpenIniDocument current;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A name runs up to the first blank or "=" (CR and LF are blanks here).
size_t nameEnd(const std::string& line, size_t from) {
    while (from < line.size() && !isBlank(line[from]) && line[from] != '=') ++from;
    return from;
}

size_t skipBlanks(const std::string& line, size_t from) {
    while (from < line.size() && isBlank(line[from])) ++from;
    return from;
}

void parseLine(const std::string& line, IniDocument& document) {
    size_t at = skipBlanks(line, 0);
    if (at == line.size() || line[at] == ';') return;
    if (line[at] == '[') {
        size_t start = skipBlanks(line, at + 1);
        size_t end = nameEnd(line, start);
        if (end > start && line[end - 1] == ']') --end;
        if (end == start) return;
        document.sections.push_back({line.substr(start, end - start), false, {}});
        return;
    }
    size_t keyEnd = nameEnd(line, at);
    size_t equals = skipBlanks(line, keyEnd);
    if (keyEnd == at || equals == line.size() || line[equals] != '=') return;
    size_t valueStart = skipBlanks(line, equals + 1);
    if (valueStart == line.size()) return;
    if (document.sections.empty()) document.sections.push_back({"", true, {}});
    document.sections.back().entries.push_back(
        {line.substr(at, keyEnd - at), line.substr(valueStart)});
}

IniDocument parseFrom(ReadBuffer& reader) {
    IniDocument document;
    std::string line;
    while (reader.readLine(line)) parseLine(line, document);
    return document;
}

IniEntry* findEntry(const std::string& section, const std::string& key) {
    // Every section of the name is searched: a file may repeat a header.
    for (IniSection& candidate : current.document.sections) {
        if (candidate.headerless || !equalIgnoringCase(candidate.name, section)) continue;
        for (IniEntry& entry : candidate.entries) {
            if (equalIgnoringCase(entry.key, key)) return &entry;
        }
    }
    return nullptr;
}

bool holdsAny(const std::string& text, const char* bytes) {
    return text.find_first_of(bytes) != std::string::npos;
}

}  // namespace

IniDocument parseIniText(const std::string& bytes) {
    ReadBuffer reader(memorySource(bytes));
    return parseFrom(reader);
}

std::string formatIniText(const IniDocument& document) {
    std::string text;
    for (const IniSection& section : document.sections) {
        if (!section.headerless) text += "[" + section.name + "]\r\n";
        for (const IniEntry& entry : section.entries) {
            text += entry.key + "=" + entry.value + "\r\n";
        }
    }
    return text;
}

// A blank or "=" would end the name early; a key opening with ";" or "["
// would read as a comment or a header.
bool readableSectionName(const std::string& name) {
    return !name.empty() && !holdsAny(name, " \t\r\n=");
}

bool readableKey(const std::string& key) {
    return readableSectionName(key) && key[0] != ';' && key[0] != '[';
}

void saveIniDocument() {
    if (!current.changed || current.path.empty()) return;
    current.changed = false;
    if (!platform::replaceFile(current.path, formatIniText(current.document))) {
        // Recorded for the end report; the game goes on.
        raiseError(RuntimeError::FileFailed);
        warnFailedFile("save INI file", current.path.c_str(), "", "not writable");
    }
}

void openIniFile(const RtString& name) {
    saveIniDocument();
    current = OpenIniDocument();
    std::string path;
    if (!nativeFileName(name, path)) return;
    current.path = platform::absolutePath(path);
    RtString resolved;
    if (resolveMediaName(name.cStr(), resolved) == 0) return;
    int fd = platform::openFileForReading(platform::nativePath(resolved.cStr()));
    if (fd < 0) {
        // A missing file is a new document; one that is there but cannot
        // be read is not.
        warnFailedFile("read INI file", name.cStr(), "", fileErrorCause(errno));
        return;
    }
    ReadBuffer reader(fileSource(fd));
    current.document = parseFrom(reader);
    platform::closeFile(fd);
}

RtString readIniValue(const RtString& section, const RtString& key) {
    IniEntry* entry = findEntry(section.cStr(), key.cStr());
    return entry ? RtString(entry->value.c_str()) : RtString("NO_DATA");
}

void writeIniValue(const RtString& sectionName, const RtString& keyName, const RtString& value) {
    std::string section = sectionName.cStr();
    std::string key = keyName.cStr();
    if (!readableSectionName(section) || !readableKey(key)) return;
    // A line break in a value would start a forged line of the file.
    std::string text = value.cStr();
    text.resize(std::min(text.size(), text.find_first_of("\r\n")));
    current.changed = true;
    if (IniEntry* entry = findEntry(section, key)) {
        entry->value = text;
        return;
    }
    for (IniSection& candidate : current.document.sections) {
        if (!candidate.headerless && equalIgnoringCase(candidate.name, section)) {
            candidate.entries.push_back({key, text});
            return;
        }
    }
    current.document.sections.push_back({section, false, {{key, text}}});
}

}  // namespace vorlan
