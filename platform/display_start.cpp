#include "platform/display_start.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

// Qt's message handler is a plain function, so what it needs lives here, for the one guard that
// can be set up at a time (before the program's only application object is made).
struct CGuardState {
  bool m_Active = false;
  std::string m_FailureText;
  QtMessageHandler m_Previous = nullptr;
  struct CHeld {
    QtMsgType m_Type;
    QString m_Category;
    QString m_Text;
  };
  std::vector<CHeld> m_Held;
};

CGuardState& State() {
  static CGuardState state;
  return state;
}

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  CGuardState& state = State();
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", state.m_FailureText.c_str());
    std::fflush(stderr);
    ::_exit(1);
  }
  state.m_Held.push_back({type, QString::fromLatin1(context.category ? context.category : ""), text});
}

}  // namespace

CDisplayStartGuard::CDisplayStartGuard(std::string failureText) {
  CGuardState& state = State();
  state.m_FailureText = std::move(failureText);
  state.m_Held.clear();
  state.m_Active = true;
  state.m_Previous = qInstallMessageHandler(HoldOrFail);
}

CDisplayStartGuard::~CDisplayStartGuard() { Started(); }

void CDisplayStartGuard::Started() {
  CGuardState& state = State();
  if (!state.m_Active) return;
  state.m_Active = false;
  qInstallMessageHandler(state.m_Previous);
  for (const CGuardState::CHeld& held : state.m_Held) {
    const QByteArray category = held.m_Category.toLatin1();
    const QMessageLogContext context(nullptr, 0, nullptr, category.isEmpty() ? "default" : category.constData());
    qt_message_output(held.m_Type, context, held.m_Text);
  }
  state.m_Held.clear();
}

std::string DisplayInUse() {
  for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return std::string(name) + "=" + value;
  }
  return "neither DISPLAY nor WAYLAND_DISPLAY is set";
}

}  // namespace platform
