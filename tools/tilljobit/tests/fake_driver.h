#pragma once
// A stand-in for the driver in one register's ticket folder: it watches the folder with inotify, takes
// the first ticket that appears there, and answers it the way the driver does (warning file, then the
// reply written as ".mag" and renamed to ".rep"). It also notes whether any "*.txt" file was ever
// created or written in place in the folder instead of arriving whole by a rename.

#include <string>
#include <thread>
#include <vector>

namespace tools::testing {

struct FakeAnswer {
  std::string m_Warnings;            // written to ".inf" when not empty
  std::string m_Reply = "0\n";       // the whole ".rep" text
  bool m_RejectAsError = false;      // keep the ticket as ".err", as for a rejected record
};

class FakeDriver {
 public:
  FakeDriver(std::string folder, FakeAnswer answer);
  ~FakeDriver();

  // Waits for the driver thread to finish (it gives up 20 s after it started).
  void Join();

  // After Join: the ticket's name and bytes as they arrived ("" when none came).
  const std::string& TicketName() const { return m_TicketName; }
  const std::string& TicketBytes() const { return m_TicketBytes; }
  // After Join: "*.txt" names that were created or written in the folder rather than renamed into it.
  const std::vector<std::string>& PartialTickets() const { return m_PartialTickets; }

 private:
  void Run();
  void Answer();

  std::string m_Folder;
  FakeAnswer m_Answer;
  int m_Notify = -1;
  std::thread m_Thread;
  std::string m_TicketName;
  std::string m_TicketBytes;
  std::vector<std::string> m_PartialTickets;
};

}  // namespace tools::testing
