#pragma once
// The message-box responder: records every box shown and answers from a
// script. With the script used up it answers the button that changes nothing
// (OK for an OK-only box, No or Cancel for a question) and counts a question
// answered that way, so that an unexpected question is visible in a test.
#include <cstdint>
#include <deque>
#include <vector>

#include "host/messagebox.h"
#include "standin/faults.h"

namespace standin {

struct ShownBox {
  host::Text prompt;
  std::int32_t style = 0;
  host::Text title;
  std::int32_t answer = 0;
  bool scripted = false;  // answered from the script rather than by default
};

class ScriptedMessageBoxes final : public host::MessageBoxes {
 public:
  explicit ScriptedMessageBoxes(FaultInjector& faults) : faults_(faults) {}

  std::int32_t MsgBox(const host::Text& prompt, std::int32_t style, const host::Text& title) override;

  // Queues the answer to the next box (host::mb::ResultOK, ResultYes, ...).
  void Answer(std::int32_t result);
  const std::vector<ShownBox>& Shown() const { return shown_; }
  // Answers queued but not yet used.
  std::size_t PendingAnswers() const { return script_.size(); }
  // Boxes with a choice that were answered by default.
  int UnexpectedQuestions() const { return unexpected_; }

 private:
  FaultInjector& faults_;
  std::deque<std::int32_t> script_;
  std::vector<ShownBox> shown_;
  int unexpected_ = 0;
};

}  // namespace standin
