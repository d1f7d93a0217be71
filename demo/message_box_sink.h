#pragma once
// The program's messages: a warning message box with an OK button and the title "TillDemo".

#include "demo/message_sink.h"

class QWidget;

namespace demo {

class CMessageBoxSink final : public IMessageSink {
 public:
  explicit CMessageBoxSink(QWidget* parent = nullptr) : m_Parent(parent) {}
  void SetParent(QWidget* parent) { m_Parent = parent; }
  void Warn(const std::string& text) override;

 private:
  QWidget* m_Parent;
};

}  // namespace demo
