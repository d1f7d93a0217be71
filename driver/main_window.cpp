#include "driver/main_window.h"

#include <QVBoxLayout>

#include "driver/messages.h"

namespace driver {

CMainWindow::CMainWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Invisible QorDriver Window"));
  auto* layout = new QVBoxLayout(this);
  m_Notice.setWordWrap(true);
  layout->addWidget(&m_Notice);
}

void CMainWindow::Show() {
  m_Notice.setText(QString::fromLocal8Bit(LoadMessage("15").c_str()));
  show();
}

}  // namespace driver
