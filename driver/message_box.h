#pragma once
// Message boxes: every question and notice of the driver goes through this one interface, so the
// same start-up and shutdown run with windows and without them.

#include <string>

namespace driver {

// YesNoCareful: before what cannot be undone: No is the default, and Yes is never chosen by a stray
// key (careful_question.h).
enum class MessageButtons { Ok, YesNo, YesNoCareful };
enum class MessageAnswer { Ok, Yes, No };

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows text and waits for the answer.
  virtual MessageAnswer Show(const std::string& text, MessageButtons buttons) = 0;
};

// Without a display nobody can answer: the text goes to the debug log and the default button (OK; Yes;
// No for a careful question) is the answer.
class CHeadlessMessageBox final : public IMessageBox {
 public:
  MessageAnswer Show(const std::string& text, MessageButtons buttons) override;
};

// The default answer of a box with these buttons.
MessageAnswer DefaultAnswer(MessageButtons buttons);

}  // namespace driver
