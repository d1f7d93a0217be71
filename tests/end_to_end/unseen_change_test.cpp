// Changes no folder notification tells: a share mounted over a ticket folder or taken away, a new file
// system over the ticket root, a folder that was read-only, a ticket the driver could not read. The
// driver notices the mount table change and looks at every register folder again (and makes missing
// ones); its timed rescan tries again what it left alone. Mounting and acting as another account need
// root (CAP_SYS_ADMIN): without it the cases are skipped with the reason.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/end_to_end/running_driver.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;

// Mounts made by a case, taken away at its end, the last first.
class CMounts {
 public:
  ~CMounts() {
    for (auto at = m_Points.rbegin(); at != m_Points.rend(); ++at) ::umount2(at->c_str(), MNT_DETACH);
  }
  bool Bind(const std::string& from, const std::string& to) { return Made(::mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr), to); }
  bool Fresh(const std::string& at) { return Made(::mount("qor-test", at.c_str(), "tmpfs", 0, "size=8m"), at); }
  bool ReadOnly(const std::string& at, bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_BIND | (readOnly ? MS_RDONLY : 0);
    return ::mount(nullptr, at.c_str(), nullptr, flags, nullptr) == 0;
  }
  bool Take(const std::string& at) {
    if (::umount2(at.c_str(), MNT_DETACH) != 0) return false;
    std::erase(m_Points, at);
    return true;
  }

 private:
  bool Made(int result, const std::string& at) {
    if (result == 0) m_Points.push_back(at);
    return result == 0;
  }
  std::vector<std::string> m_Points;
};

struct CUnseenCase {
  const char* m_Name;
  const char* m_RescanSeconds;  // "3600": the mount table's change alone must bring the ticket
  unsigned m_DriverAccount;     // 0: the driver runs as root
  // Leaves a ticket "u.txt" for register 1 where no notification of its folder tells of it.
  std::function<bool(CRunningDriver&, CMounts&, const std::string& scratch)> m_Arrange;
};

const std::string kTicket = endtoend::Receipt("Unseen");

const CUnseenCase kCases[] = {
    {"a share over the folder goes away and comes back with a ticket in it", "3600", 0,
     [](CRunningDriver& driver, CMounts& mounts, const std::string& scratch) {
       const std::string share = scratch + "/share";
       std::filesystem::create_directories(share);
       if (!mounts.Bind(share, driver.Folder(1))) return false;
       if (!mounts.Take(driver.Folder(1))) return false;
       testsupport::WriteFile(share + "/u.txt", kTicket);
       return mounts.Bind(share, driver.Folder(1));
     }},
    {"a new file system over the ticket root, the register folders made again", "3600", 0,
     [](CRunningDriver& driver, CMounts& mounts, const std::string&) {
       const std::string root = driver.Base() + "/Tickets";
       if (!mounts.Fresh(root)) return false;
       // The till finds its folder again and drops its ticket.
       for (int tries = 0; tries < 3000 && !std::filesystem::exists(driver.Folder(1)); ++tries) ::usleep(10000);
       testsupport::WriteFile(driver.Folder(1) + "/u.txt", kTicket);
       return true;
     }},
    {"a ticket in a folder that was read-only, then writable again", "3600", 0,
     [](CRunningDriver& driver, CMounts& mounts, const std::string& scratch) {
       // Another view of the same folder stays writable for the till.
       const std::string view = scratch + "/view";
       std::filesystem::create_directories(view);
       if (!mounts.Bind(driver.Folder(1), view) || !mounts.Bind(driver.Folder(1), driver.Folder(1))) return false;
       if (!mounts.ReadOnly(driver.Folder(1), true)) return false;
       testsupport::WriteFile(view + "/u.txt", kTicket);
       if (!driver.WaitForLog("u.txt] stays")) return false;
       return mounts.ReadOnly(driver.Folder(1), false);
     }},
    {"a ticket the driver could not read, then made readable", "1", 47304,
     [](CRunningDriver& driver, CMounts&, const std::string& scratch) {
       const std::string ticket = scratch + "/u.txt";
       testsupport::WriteFile(ticket, kTicket);
       if (::chmod(ticket.c_str(), 0600) != 0) return false;
       std::filesystem::rename(ticket, driver.Folder(1) + "/u.txt");
       if (!driver.WaitForLog("CreateFile ERROR")) return false;
       // A change of mode alone is no notification the driver acts on.
       return ::chmod((driver.Folder(1) + "/u.txt").c_str(), 0644) == 0;
     }},
};

TEST(UnseenChanges, ATicketNoNotificationToldOfIsAnsweredWithoutAnotherChange) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system over a ticket folder needs root";
  for (const CUnseenCase& unseen : kCases) {
    SCOPED_TRACE(unseen.m_Name);
    endtoend::CDriverSetup setup;
    setup.m_DriverIni += std::string("[TillJob]\r\nRescanSeconds=") + unseen.m_RescanSeconds + "\r\n";
    setup.m_DriverAccount = unseen.m_DriverAccount;
    CRunningDriver driver(setup);
    ASSERT_TRUE(driver.Start()) << driver.Log();
    testsupport::TempFolder scratch;
    {
      CMounts mounts;
      if (!unseen.m_Arrange(driver, mounts, scratch.Path())) {
        if (errno == EPERM) GTEST_SKIP() << "mounting is refused here: " << std::strerror(errno);
        FAIL() << "the case could not be arranged: " << std::strerror(errno) << "\n" << driver.Log();
      }
      EXPECT_EQ(driver.WaitForReply(1, "u.txt"), "0\n") << driver.Log();
      EXPECT_NE(driver.Journal(1).find("Unseen"), std::string::npos);
      EXPECT_EQ(driver.Stop(), 0) << driver.Log();
    }
  }
}

}  // namespace
