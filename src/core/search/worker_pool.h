#pragma once
// A fixed set of threads that live as long as their owner. libswe keeps its open files and
// its settings per thread, so each thread holds the ephemeris of the program's folder
// (EphemerisThread) from its start to the pool's end: repeated runs open no new files. The
// caller's share of a task runs with it too.
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kesmora {

class WorkerPool {
 public:
  // `threads` threads besides the caller's own; 0 makes every task run on the caller.
  WorkerPool(std::filesystem::path programDir, int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads besides the caller's.
  int Threads() const { return static_cast<int>(threads_.size()); }
  const std::filesystem::path& ProgramDir() const { return programDir_; }

  // Runs task(0) on the calling thread and task(1..workers-1) on pool threads, and returns
  // when all are done. Workers beyond the pool's size are not run. The calling thread holds
  // the pool's ephemeris for task(0): where it held none, it is closed again after.
  void RunOnAll(int workers, const std::function<void(int worker)>& task);

 private:
  void Loop(int worker);

  std::filesystem::path programDir_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(int)>* task_ = nullptr;
  int wanted_ = 0;        // workers of the current task, caller included
  long generation_ = 0;   // counts the tasks handed out
  int running_ = 0;       // pool threads still busy with the current task
  bool stopping_ = false;
};

}  // namespace kesmora
