#include "driver/admin/careful_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace driver {

QString WithoutShortcut(const QString& text) {
  QString plain;
  for (qsizetype at = 0; at < text.size(); ++at) {
    if (text[at] == QLatin1Char('&') && at + 1 < text.size()) ++at;
    plain.append(text[at]);
  }
  return plain;
}

bool ConfirmCarefully(QWidget* parent, const QString& text) {
  QMessageBox question(QMessageBox::Warning, QStringLiteral("QorDriver"), text, QMessageBox::Yes | QMessageBox::No,
                       parent);
  question.setObjectName("confirmation");
  auto* yes = static_cast<QPushButton*>(question.button(QMessageBox::Yes));
  yes->setText(WithoutShortcut(yes->text()));
  // Return goes to the default button (No) even while Yes has the focus.
  yes->setAutoDefault(false);
  question.setDefaultButton(QMessageBox::No);
  question.setEscapeButton(QMessageBox::No);
  return question.exec() == QMessageBox::Yes;
}

}  // namespace driver
