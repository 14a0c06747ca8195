#pragma once
// What the core asks of the window system: message boxes, questions and the busy cursor. The
// window program shows real ones; the command-line program and the tests record or print them.
#include <deque>
#include <string>
#include <vector>

namespace kesmora {

enum class MessageIcon { Information, Warning, Critical, Stop };

struct Message {
  MessageIcon icon;
  std::string title;
  std::string text;
};

// A question with its buttons: "Save", "Discard" and "Cancel"; "Yes" and "No"; or "Replace",
// "Append" and "Exit" (a name that is already in a names file).
enum class QuestionButtons { SaveDiscardCancel, YesNo, ReplaceAppendExit };
enum class Answer { Save, Discard, Cancel, Yes, No, Replace, Append, Exit };

struct Question {
  QuestionButtons buttons;
  std::string title;
  std::string text;
};

// The answer that loses nothing: Cancel, No, or Exit. Closing a question's window gives it.
inline Answer SafeAnswer(const Question& q) {
  switch (q.buttons) {
    case QuestionButtons::SaveDiscardCancel: return Answer::Cancel;
    case QuestionButtons::ReplaceAppendExit: return Answer::Exit;
    default: return Answer::No;
  }
}

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual void ShowMessage(const Message& message) = 0;
  virtual void SetBusy(bool busy) = 0;
  // Where nobody can answer, the answer that loses nothing.
  virtual Answer Ask(const Question& question) { return SafeAnswer(question); }
};

// Collects messages and questions instead of showing them; questions take the queued answers,
// then the answer that loses nothing.
class RecordingInterface : public UserInterface {
 public:
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  void SetBusy(bool busy) override { busyNow = busy; if (busy) ++busyCount; }
  Answer Ask(const Question& question) override {
    questions.push_back(question);
    if (answers.empty()) return SafeAnswer(question);
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<Message> messages;
  std::vector<Question> questions;
  std::deque<Answer> answers;
  bool busyNow = false;
  int busyCount = 0;
};

}  // namespace kesmora
