#include "demo/message_box_sink.h"

#include <QMessageBox>
#include <QString>

namespace demo {

void CMessageBoxSink::Warn(const std::string& text) {
  QMessageBox::warning(m_Parent, QStringLiteral("TillDemo"), QString::fromStdString(text), QMessageBox::Ok);
}

}  // namespace demo
