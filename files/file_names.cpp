#include "files/file_names.h"

#include "platform/temp_dir.h"

namespace vorlan {

bool nativeFileName(const RtString& name, std::string& path) {
    if (name.length() == 0 || name.length() > kLongestFileName) return false;
    path = platform::nativePath(name.cStr());
    return true;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

}  // namespace vorlan
