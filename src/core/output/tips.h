#pragma once
// The tips of the "Tip of the Day" window: one tip per line of TIPOFDAY.TXT, shown in turn.
#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {

inline constexpr const char* TipsFileName = "TIPOFDAY.TXT";
// The window is built for nine tips ("Next Tip of 9"): going back from the first gives the ninth.
inline constexpr int TipsShown = 9;

class Tips {
 public:
  // Reads the tips of the program directory; a missing file leaves the list empty.
  explicit Tips(const std::filesystem::path& programDir);
  bool FileFound() const { return found_; }
  int Count() const { return static_cast<int>(tips_.size()); }
  int Current() const { return current_; }

  // Goes on from a tip shown before: Next then shows the one after it.
  void ContinueAfter(int shown) { current_ = shown; }
  // Next wraps past the last tip to the first; Back from the first goes to tip 9.
  void Next();
  void Back();
  // The current tip; empty when there is no such tip, the "not found" question when the file
  // is missing.
  std::string Text() const;

 private:
  std::vector<std::string> tips_;
  bool found_ = false;
  int current_ = 0;  // 1-based; 0 before the first tip
};

}  // namespace kesmora
