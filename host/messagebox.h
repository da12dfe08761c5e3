#pragma once
// Modal message boxes, as a port so that the logic can be driven without a screen.
#include <cstdint>

#include "host/text.h"

namespace host {

namespace mb {
inline constexpr std::int32_t OKOnly = 0;
inline constexpr std::int32_t YesNo = 4;
inline constexpr std::int32_t Question = 32;
inline constexpr std::int32_t Exclamation = 48;
inline constexpr std::int32_t SystemModal = 4096;
inline constexpr std::int32_t Warning = Exclamation | OKOnly;              // 48
inline constexpr std::int32_t AskYesNo = Question | YesNo;                 // 36
inline constexpr std::int32_t SystemWarning = Warning | SystemModal;       // 4144
inline constexpr std::int32_t ResultOK = 1;
inline constexpr std::int32_t ResultYes = 6;
inline constexpr std::int32_t ResultNo = 7;
}  // namespace mb

class MessageBoxes {
 public:
  // Shows the box and returns the button pressed.
  virtual std::int32_t MsgBox(const Text& prompt, std::int32_t style, const Text& title) = 0;

 protected:
  ~MessageBoxes() = default;
};

}  // namespace host
