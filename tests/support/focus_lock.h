// Tests that press keys, move the pointer or show windows hold this lock:
// parallel tests on the same X server would otherwise steal each other's
// focus and input.
#pragma once

namespace vorlan::test {

class FocusLock {
  public:
    FocusLock();
    ~FocusLock();
    FocusLock(const FocusLock&) = delete;
    FocusLock& operator=(const FocusLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace vorlan::test
