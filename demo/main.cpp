// TillDemo: a small form for trying the ticket chain by hand; it starts TillJobIt with a cash number,
// a ticket file and an optional destination, once or on a timer.

#include <QApplication>

#include "demo/detached_starter.h"
#include "demo/form1.h"
#include "demo/message_box_sink.h"
#include "platform/display_start.h"

int main(int argc, char* argv[]) {
  platform::CDisplayStartGuard displayGuard("TillDemo: no display can be opened (" + platform::DisplayInUse() +
                                            "). TillDemo is a window program: start it on a desktop.");
  QApplication application(argc, argv);
  displayGuard.Started();
  QApplication::setApplicationName(QStringLiteral("TillDemo"));
  demo::CMessageBoxSink messages;
  demo::CDetachedStarter starter;
  demo::Form1 form(messages, starter);
  messages.SetParent(&form);
  form.show();
  return application.exec();
}
