// The INI document behind openIniFile and friends, and its own syntax:
// "[name]" headers and "key=value" entries, ";" comments, blanks around
// names and before values ignored.
#pragma once

#include <string>
#include <vector>

namespace vorlan {

struct IniEntry {
    std::string key;
    std::string value;
    bool operator==(const IniEntry&) const = default;
};

struct IniSection {
    std::string name;
    // Entries that stand before the first header: saved first, without one.
    bool headerless = false;
    std::vector<IniEntry> entries;
    bool operator==(const IniSection&) const = default;
};

struct IniDocument {
    std::vector<IniSection> sections;
    bool operator==(const IniDocument& other) const { return sections == other.sections; }
};

// Reads the syntax from bytes; a repeated header opens a section of its
// own, so that a save writes the file back in the same shape.
IniDocument parseIniText(const std::string& bytes);
// The document in the written syntax: CR LF line ends, no comments.
std::string formatIniText(const IniDocument& document);

// Whether a name written as a header or key would read back as itself.
bool readableSectionName(const std::string& name);
bool readableKey(const std::string& key);

// Saves a changed document; for the runtime's shutdown.
void saveIniDocument();

}  // namespace vorlan
