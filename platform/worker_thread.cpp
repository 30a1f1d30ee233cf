#include "platform/worker_thread.h"

#include <utility>

namespace vorlan::platform {

WorkerThread::~WorkerThread() {
    join();
    // A thread that ended its own session cannot be joined by itself.
    if (thread_.joinable()) thread_.detach();
}

void WorkerThread::start(std::function<void()> body) {
    join();
    thread_ = std::thread(std::move(body));
}

void WorkerThread::join() {
    if (thread_.joinable() && !isCurrent()) thread_.join();
}

}  // namespace vorlan::platform
