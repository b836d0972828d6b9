#include "platform/threads.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {
namespace {

std::mutex& countMutex() {
  static auto* mutex = new std::mutex;  // never destroyed: workers may outlive main
  return *mutex;
}

std::condition_variable& countChanged() {
  static auto* cv = new std::condition_variable;
  return *cv;
}

int& liveCount() {
  static int count = 0;
  return count;
}

}  // namespace

void startDetached(std::function<void()> body) {
  {
    std::lock_guard<std::mutex> lock(countMutex());
    ++liveCount();
  }
  try {
    std::thread([body = std::move(body)]() {
      body();
      std::lock_guard<std::mutex> lock(countMutex());
      --liveCount();
      countChanged().notify_all();
    }).detach();
  } catch (...) {
    std::lock_guard<std::mutex> lock(countMutex());
    --liveCount();
    throw;
  }
}

int runningWorkers() {
  std::lock_guard<std::mutex> lock(countMutex());
  return liveCount();
}

bool waitForWorkers(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(countMutex());
  return countChanged().wait_for(lock, limit, [] { return liveCount() == 0; });
}

}  // namespace platform
