#pragma once
// What the core asks of the window system: message boxes and the busy cursor. The window
// program shows real ones; the command-line program and the tests record or print them.
#include <string>
#include <vector>

namespace kesmora {

enum class MessageIcon { Information, Warning, Critical, Stop };

struct Message {
  MessageIcon icon;
  std::string title;
  std::string text;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual void ShowMessage(const Message& message) = 0;
  virtual void SetBusy(bool busy) = 0;
};

// Collects messages instead of showing them.
class RecordingInterface : public UserInterface {
 public:
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  void SetBusy(bool busy) override { busyNow = busy; if (busy) ++busyCount; }
  std::vector<Message> messages;
  bool busyNow = false;
  int busyCount = 0;
};

}  // namespace kesmora
