// Whether this program runs under the address sanitizer, whose shadow
// memory rules out address-space limits (it has its own allocation cap).
#pragma once

namespace vorlan::test {

inline bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

}  // namespace vorlan::test
