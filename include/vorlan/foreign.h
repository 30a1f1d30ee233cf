// Vorlan foreign calls: functions of dynamic libraries, found by library
// and function name. Each library is loaded once and stays loaded until
// the program ends.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// Sets address to the function, or to nullptr when the library or the
// function cannot be found. A bare library name is looked for beside the
// program first, then where the system keeps libraries; never in the
// current folder. The name is tried as given, then in lower case.
void resolveLibraryFunction(const RtString& library, const RtString& function, void*& address);

// A resolved function with its type, called without casts:
//   ForeignFunction<double(double)> cube("libshapes.so", "cube");
//   if (cube) value = cube(3.0);
template <typename Signature>
class ForeignFunction;

template <typename Result, typename... Args>
class ForeignFunction<Result(Args...)> {
  public:
    ForeignFunction(const RtString& library, const RtString& function) {
        void* address = nullptr;
        resolveLibraryFunction(library, function, address);
        function_ = reinterpret_cast<Result (*)(Args...)>(address);
    }
    explicit operator bool() const { return function_ != nullptr; }
    // Calling a function that was not found is the caller's fault.
    Result operator()(Args... args) const { return function_(args...); }

  private:
    Result (*function_)(Args...) = nullptr;
};

}  // namespace vorlan
