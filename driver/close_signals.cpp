#include "driver/close_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/debug_log.h"

namespace driver {
namespace {

// The write end of the pipe; the only thing the handler touches.
volatile sig_atomic_t g_WriteEnd = -1;

void OnSignal(int signalNumber) {
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(signalNumber);
  if (g_WriteEnd >= 0) {
    ssize_t ignored = ::write(g_WriteEnd, &byte, 1);
    (void)ignored;
  }
  errno = saved;
}

}  // namespace

std::unique_ptr<CCloseSignals> CCloseSignals::Install(QObject* parent) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    platform::DebugLog("[ZEDO] close signals: no pipe, errno [%d]", errno);
    return nullptr;
  }
  g_WriteEnd = ends[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  return std::unique_ptr<CCloseSignals>(new CCloseSignals(ends[0], parent));
}

CCloseSignals::CCloseSignals(int readEnd, QObject* parent)
    : QObject(parent), m_ReadEnd(readEnd), m_Notifier(readEnd, QSocketNotifier::Read) {
  connect(&m_Notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

CCloseSignals::~CCloseSignals() {
  // The window is closed by now: a late signal must not turn a clean end into a killed one.
  ::signal(SIGTERM, SIG_IGN);
  ::signal(SIGINT, SIG_IGN);
  int writeEnd = g_WriteEnd;
  g_WriteEnd = -1;
  ::close(writeEnd);
  ::close(m_ReadEnd);
}

void CCloseSignals::OnReadable() {
  unsigned char bytes[16];
  ssize_t got = 0;
  while ((got = ::read(m_ReadEnd, bytes, sizeof bytes)) > 0)
    for (ssize_t i = 0; i < got; ++i) emit CloseRequested(bytes[i]);
}

}  // namespace driver
