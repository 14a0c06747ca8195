#include "core/search/worker_pool.h"

#include "core/chart/chart_calculator.h"

namespace kesmora {

WorkerPool::WorkerPool(std::filesystem::path programDir, int threads) : programDir_(std::move(programDir)) {
  for (int n = 1; n <= threads; ++n) threads_.emplace_back([this, n] { Loop(n); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void WorkerPool::Loop(int worker) {
  const EphemerisThread ephemeris(programDir_);
  long seen = 0;
  for (;;) {
    const std::function<void(int)>* task = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) break;
      seen = generation_;
      if (worker < wanted_) task = task_;
    }
    // The task catches its own failures; a worker beyond the wanted count only reports in.
    if (task) (*task)(worker);
    {
      std::lock_guard lock(mutex_);
      --running_;
    }
    done_.notify_all();
  }
}

void WorkerPool::RunOnAll(int workers, const std::function<void(int)>& task) {
  {
    std::lock_guard lock(mutex_);
    task_ = &task;
    wanted_ = workers;
    running_ = Threads();
    ++generation_;
  }
  wake_.notify_all();
  {
    const EphemerisThread ephemeris(programDir_);
    task(0);
  }
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return running_ == 0; });
  task_ = nullptr;
}

}  // namespace kesmora
