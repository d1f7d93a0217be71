#pragma once
// Message boxes on the desktop: a plain Qt message box with the catalogue text, titled "QorDriver".

#include "driver/message_box.h"

namespace driver {

class CWidgetMessageBox final : public IMessageBox {
 public:
  MessageAnswer Show(const std::string& text, MessageButtons buttons) override;
};

}  // namespace driver
