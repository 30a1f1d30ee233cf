// A descriptor that a thread polls alongside its sockets, so that another
// thread can wake it at once instead of waiting for the poll timeout.
#pragma once

namespace vorlan::platform {

class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    int descriptor() const { return fd_; }
    void raise();
    // Clears the signal after a poll saw it.
    void clear();

  private:
    int fd_ = -1;
};

}  // namespace vorlan::platform
