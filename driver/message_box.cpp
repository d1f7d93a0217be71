#include "driver/message_box.h"

#include "platform/debug_log.h"

namespace driver {

MessageAnswer DefaultAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo: return MessageAnswer::Yes;
    case MessageButtons::YesNoCareful: return MessageAnswer::No;
    case MessageButtons::Ok: break;
  }
  return MessageAnswer::Ok;
}

MessageAnswer CHeadlessMessageBox::Show(const std::string& text, MessageButtons buttons) {
  MessageAnswer answer = DefaultAnswer(buttons);
  platform::DebugLog("[ZEDO] MessageBox: [%s] answered [%s]", text.c_str(), answer == MessageAnswer::No ? "No"
                                                                      : answer == MessageAnswer::Yes ? "Yes"
                                                                                                     : "OK");
  return answer;
}

}  // namespace driver
