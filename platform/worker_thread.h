// One background thread that can be started, asked whether it is the
// current thread, and joined from any other thread.
#pragma once

#include <functional>
#include <thread>

namespace vorlan::platform {

class WorkerThread {
  public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void start(std::function<void()> body);
    bool started() const { return thread_.joinable(); }
    bool isCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }
    // Waits for the body to end; does nothing when not started or when
    // called on the thread itself (which cannot wait for its own end).
    void join();

  private:
    std::thread thread_;
};

}  // namespace vorlan::platform
