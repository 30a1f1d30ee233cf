// Treats arbitrary bytes as an INI file: what a save writes must read back
// as the same document, and saving that again must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    vorlan::IniDocument document = vorlan::parseIniText(bytes);
    std::string saved = vorlan::formatIniText(document);
    vorlan::IniDocument again = vorlan::parseIniText(saved);
    if (!(again == document)) std::abort();
    if (vorlan::formatIniText(again) != saved) std::abort();
    for (const vorlan::IniSection& section : document.sections) {
        if (!section.headerless && !vorlan::readableSectionName(section.name)) std::abort();
        for (const vorlan::IniEntry& entry : section.entries) {
            if (!vorlan::readableKey(entry.key)) std::abort();
        }
    }
    return 0;
}
