#include "driver/widget_message_box.h"

#include <QMessageBox>
#include <QString>

#include "driver/admin/careful_question.h"

namespace driver {

MessageAnswer CWidgetMessageBox::Show(const std::string& text, MessageButtons buttons) {
  // Catalogue texts are 8-bit text of the system code page.
  const QString message = QString::fromLocal8Bit(text.c_str());
  if (buttons == MessageButtons::YesNoCareful)
    return ConfirmCarefully(nullptr, message) ? MessageAnswer::Yes : MessageAnswer::No;
  if (buttons == MessageButtons::Ok) {
    QMessageBox::information(nullptr, QStringLiteral("QorDriver"), message, QMessageBox::Ok);
    return MessageAnswer::Ok;
  }
  auto answer = QMessageBox::question(nullptr, QStringLiteral("QorDriver"), message,
                                      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
  return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace driver
