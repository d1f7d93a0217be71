#include "tools/tilljobit/tests/fake_driver.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "testsupport/temp_folder.h"

namespace tools::testing {
namespace {

bool IsTicketName(const std::string& name) { return name.size() > 4 && name.substr(name.size() - 4) == ".txt"; }

}  // namespace

FakeDriver::FakeDriver(std::string folder, FakeAnswer answer) : m_Folder(std::move(folder)), m_Answer(std::move(answer)) {
  m_Notify = ::inotify_init1(IN_CLOEXEC);
  // The watch is in place before the constructor returns, so no ticket can slip past it.
  if (m_Notify < 0 || ::inotify_add_watch(m_Notify, m_Folder.c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
    ADD_FAILURE() << "cannot watch " << m_Folder;
  m_Thread = std::thread([this] { Run(); });
}

FakeDriver::~FakeDriver() {
  Join();
  if (m_Notify >= 0) ::close(m_Notify);
}

void FakeDriver::Join() {
  if (m_Thread.joinable()) m_Thread.join();
}

void FakeDriver::Run() {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  alignas(inotify_event) char buffer[8192];
  while (m_TicketName.empty() && std::chrono::steady_clock::now() < deadline) {
    pollfd watch{m_Notify, POLLIN, 0};
    if (::poll(&watch, 1, 100) <= 0) continue;
    ssize_t length = ::read(m_Notify, buffer, sizeof buffer);
    for (ssize_t offset = 0; offset < length;) {
      auto* event = reinterpret_cast<inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      std::string name = event->len > 0 ? event->name : "";
      if (!IsTicketName(name)) continue;
      if (event->mask & IN_MOVED_TO) {
        if (m_TicketName.empty()) m_TicketName = name;
      } else {
        m_PartialTickets.push_back(name);
      }
    }
  }
  if (!m_TicketName.empty()) Answer();
}

void FakeDriver::Answer() {
  std::string ticket = m_Folder + "/" + m_TicketName;
  std::string stem = ticket.substr(0, ticket.size() - 4);
  m_TicketBytes = testsupport::ReadFile(ticket);
  if (m_Answer.m_RejectAsError) std::rename(ticket.c_str(), (stem + ".err").c_str());
  else ::unlink(ticket.c_str());
  if (!m_Answer.m_Warnings.empty()) testsupport::WriteFile(stem + ".inf", m_Answer.m_Warnings);
  testsupport::WriteFile(stem + ".mag", m_Answer.m_Reply);
  std::rename((stem + ".mag").c_str(), (stem + ".rep").c_str());
}

}  // namespace tools::testing
