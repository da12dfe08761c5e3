#include "standin/message_boxes.h"

namespace standin {
namespace {

// The button of each button set that leaves things as they are.
std::int32_t DefaultAnswer(std::int32_t style) {
  switch (style & 7) {
    case 0: return 1;  // OK only: OK
    case 2: return 3;  // Abort, Retry, Ignore: Abort
    case 4: return host::mb::ResultNo;  // Yes, No
    default: return 2;  // OK/Cancel, Yes/No/Cancel, Retry/Cancel: Cancel
  }
}

}  // namespace

std::int32_t ScriptedMessageBoxes::MsgBox(const host::Text& prompt, std::int32_t style, const host::Text& title) {
  faults_.Check("MessageBoxes.MsgBox");
  ShownBox box{prompt, style, title, 0, !script_.empty()};
  if (box.scripted) {
    box.answer = script_.front();
    script_.pop_front();
  } else {
    box.answer = DefaultAnswer(style);
    if ((style & 7) != 0) ++unexpected_;
  }
  shown_.push_back(box);
  return box.answer;
}

void ScriptedMessageBoxes::Answer(std::int32_t result) { script_.push_back(result); }

}  // namespace standin
