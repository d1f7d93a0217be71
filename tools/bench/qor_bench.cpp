// qor-bench: the driver's speed and appetite measured from the outside, as a point-of-sale machine
// sees it. Starts the real QorDriver headless in a temporary base directory on the instant register
// emulator, drops tickets the way a point-of-sale program does (written under another name, renamed
// into the register's folder), and times each from the rename to the appearance of its ".rep".
//
// Prints one "name=value" line per figure and a summary line. Usage:
//   qor-bench [--quick] [--sync-memory] [--intake]
// (--intake: only the figures of the intake under floods and many registers).
// (--sync-memory: the emulated registers put their memory on the disk before each command completes).
// The driver flushes its files as it does by default (Durable=1); the figures ending in "_cached" are
// those of a driver that flushes nothing (Durable=0).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "platform/store.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::string ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string Record(const std::string& code, std::initializer_list<std::pair<int, std::string>> parts, std::size_t length) {
  std::string data(length, ' ');
  for (const auto& [offset, text] : parts) data.replace(offset, text.size(), text);
  return (code.size() == 1 ? code + " " : code) + data;
}

const std::string kEmptyTicket = "99\n";
const std::string kReceipt = "0 1\n" + Record("1", {{0, "1"}, {25, "1,00"}, {35, "1"}, {38, "Water"}, {80, "1"}}, 81) +
                             "\n" + Record("1", {{0, "2"}, {25, "2,50"}, {35, "1"}, {38, "Bread"}, {80, "2"}}, 81) +
                             "\n" + Record("6", {{0, "6,00"}, {10, "CASH"}, {46, "1"}}, 47) + "\n";

// One running driver with its own base directory and store.
class BenchDriver {
 public:
  BenchDriver(int registers, bool syncMemory, bool durable = true) {
    char pattern[] = "/var/tmp/qor-bench-XXXXXX";
    m_Base = ::mkdtemp(pattern);
    std::ofstream(m_Base + "/QorEmulator.ini") << "[Registers]\r\n"
                                               << RegisterLines(registers) << "[Memory]\r\nSync=" << (syncMemory ? 1 : 0)
                                               << "\r\n";
    // The status file is always written; the metrics file is on too, as a shop that collects it runs.
    std::ofstream(m_Base + "/QorDriver.ini") << "[OCXManager]\r\nSingleClient=0\r\n[TillJob]\r\nMetricsFile=qor.prom\r\nDurable="
                                             << (durable ? 1 : 0) << "\r\n";
    platform::Store store(m_Base + "/registry");
    std::string module = ProgramFolder() + "/libQorMonitor.so", error;
    platform::IComponentModule* entry = platform::LoadComponentModule(module, error);
    if (!entry || entry->DllRegisterServer(store, module) != 0) Fail("cannot register the folder monitor: " + error);
    Start();
    for (int ecr = 1; ecr <= registers; ++ecr) fs::create_directories(Folder(ecr));
  }
  ~BenchDriver() {
    Stop();
    std::error_code ignored;
    fs::remove_all(m_Base, ignored);
  }

  void Stop() {
    if (m_Pid <= 0) return;
    ::kill(m_Pid, SIGTERM);
    int status = 0;
    ::waitpid(m_Pid, &status, 0);
    m_Pid = -1;
  }

  // The flushing rounds of the driver's run, from the line its stop logs; -1 when not found.
  double FlushRounds() {
    Stop();
    std::ifstream in(m_Base + "/driver.log");
    std::string line;
    const std::string mark = "[ZEDO] Disk flushes: [";
    while (std::getline(in, line))
      if (line.rfind(mark, 0) == 0) return std::stod(line.substr(mark.size()));
    return -1;
  }

  std::string Folder(int ecr) const { return m_Base + "/Tickets/" + std::to_string(ecr); }
  pid_t Pid() const { return m_Pid; }
  const std::string& Base() const { return m_Base; }

  static void Fail(const std::string& why) {
    std::fprintf(stderr, "qor-bench: %s\n", why.c_str());
    std::exit(1);
  }

 private:
  static std::string RegisterLines(int registers) {
    std::string lines;
    for (int ecr = 1; ecr <= registers; ++ecr) lines += std::to_string(ecr) + "=2\r\n";
    return lines;
  }

  void Start() {
    std::string program = ProgramFolder() + "/QorDriver";
    std::string log = m_Base + "/driver.log";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "QOR_", 4) != 0) env.emplace_back(*e);
    env.push_back("QOR_REGISTRY=" + m_Base + "/registry");
    env.push_back("QOR_DEBUG_LOG=1");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, m_Base.c_str());
    char* argv[] = {program.data(), const_cast<char*>("--headless"), nullptr};
    if (posix_spawn(&m_Pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) Fail("cannot start " + program);
    posix_spawn_file_actions_destroy(&actions);
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
      std::ifstream in(log);
      std::stringstream text;
      text << in.rdbuf();
      if (text.str().find("[ZEDO] Folder monitor started") != std::string::npos) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Fail("the driver did not start its folder monitor; see " + log);
  }

  std::string m_Base;
  pid_t m_Pid = -1;
};

// Watches register folders for replies being renamed into place.
class ReplyWatch {
 public:
  explicit ReplyWatch(const BenchDriver& driver, int registers) {
    m_Fd = ::inotify_init1(IN_CLOEXEC);
    for (int ecr = 1; ecr <= registers; ++ecr) ::inotify_add_watch(m_Fd, driver.Folder(ecr).c_str(), IN_MOVED_TO);
  }
  ~ReplyWatch() { ::close(m_Fd); }

  // Waits for the replies named (folder watch index order does not matter); false at the limit.
  bool WaitFor(std::set<std::string>& pending, std::chrono::seconds limit) {
    Clock::time_point deadline = Clock::now() + limit;
    alignas(inotify_event) char buffer[65536];
    while (!pending.empty() && Clock::now() < deadline) {
      pollfd handle{m_Fd, POLLIN, 0};
      if (::poll(&handle, 1, 200) <= 0) continue;
      ssize_t got = ::read(m_Fd, buffer, sizeof buffer);
      for (ssize_t at = 0; at < got;) {
        auto* event = reinterpret_cast<inotify_event*>(buffer + at);
        if (event->len > 0) pending.erase(std::to_string(event->wd) + "/" + event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return pending.empty();
  }

 private:
  int m_Fd = -1;
};

// The point-of-sale way: the whole ticket under a name outside "*.txt", then renamed into place.
void Stage(const std::string& folder, const std::string& name, const std::string& text) {
  std::ofstream(folder + "/" + name + ".tmp") << text;
}
void Publish(const std::string& folder, const std::string& name) {
  std::string from = folder + "/" + name + ".tmp", to = folder + "/" + name + ".txt";
  if (std::rename(from.c_str(), to.c_str()) != 0) BenchDriver::Fail("cannot rename " + from);
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

// Single tickets one after the other on register 1 (type 2); milliseconds from rename to reply.
std::vector<double> TimeSingles(BenchDriver& driver, const std::string& ticket, int count, const char* prefix) {
  ReplyWatch watch(driver, 1);
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    std::string name = std::string(prefix) + std::to_string(i);
    Stage(driver.Folder(1), name, ticket);
    std::set<std::string> pending{"1/" + name + ".rep"};
    Clock::time_point start = Clock::now();
    Publish(driver.Folder(1), name);
    if (!watch.WaitFor(pending, std::chrono::seconds(30))) BenchDriver::Fail("no reply for " + name);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return times;
}

// Single receipts on registers 2 and up, one after the other, while a ticket on register 1 is held open
// by its writer (as a hung till holds it); milliseconds from rename to reply. The held ticket is empty,
// so it changes nothing when it runs after its writer has let go.
std::vector<double> TimeSinglesBesideAHeldTicket(BenchDriver& driver, int registers, std::chrono::seconds hold) {
  ReplyWatch watch(driver, registers);
  std::ofstream held(driver.Folder(1) + "/held.txt");
  held << kEmptyTicket << std::flush;
  std::vector<double> times;
  for (Clock::time_point end = Clock::now() + hold; Clock::now() < end;) {
    int ecr = 2 + static_cast<int>(times.size()) % (registers - 1);
    std::string name = "beside" + std::to_string(times.size());
    Stage(driver.Folder(ecr), name, kReceipt);
    std::set<std::string> pending{std::to_string(ecr) + "/" + name + ".rep"};
    Clock::time_point start = Clock::now();
    Publish(driver.Folder(ecr), name);
    if (!watch.WaitFor(pending, std::chrono::seconds(30))) BenchDriver::Fail("no reply for " + name);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return times;
}

int CountLeftovers(const BenchDriver& driver, int registers) {
  int left = 0;
  for (int ecr = 1; ecr <= registers; ++ecr)
    for (const auto& entry : fs::directory_iterator(driver.Folder(ecr))) {
      std::string extension = entry.path().extension().string();
      if (extension == ".txt" || extension == ".mmm" || extension == ".xmm" || extension == ".mag") ++left;
    }
  return left;
}

double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i == 14 || i == 15) ticks += std::stol(field);
  return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double ResidentMegabytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void Print(const char* name, double value) { std::printf("%s=%.2f\n", name, value); }

struct CDropped {
  int m_Unanswered = 0;  // tickets that got no reply
  double m_Seconds = 0;  // from the first rename to the last reply
};

// Drops count receipts at once, spread over the registers (staged first, then renamed into place one
// after the other), and waits for their replies.
CDropped DropReceipts(BenchDriver& driver, int registers, const std::string& prefix, int count) {
  ReplyWatch watch(driver, registers);
  std::set<std::string> pending;
  for (int i = 0; i < count; ++i) {
    int ecr = 1 + i % registers;
    std::string name = prefix + std::to_string(i);
    Stage(driver.Folder(ecr), name, kReceipt);
    pending.insert(std::to_string(ecr) + "/" + name + ".rep");
  }
  Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) Publish(driver.Folder(1 + i % registers), prefix + std::to_string(i));
  watch.WaitFor(pending, std::chrono::seconds(count / 10 + 60));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  // A till removes the replies it has read, so the folders do not grow either.
  for (int i = 0; i < count; ++i) {
    std::error_code ignored;
    std::string stem = driver.Folder(1 + i % registers) + "/" + prefix + std::to_string(i);
    fs::remove(stem + ".rep", ignored);
    fs::remove(stem + ".inf", ignored);
  }
  return {static_cast<int>(pending.size()), seconds};
}

// Flushing rounds per receipt: of single receipts one after the other, and of a burst over 8 registers,
// where tickets taken together share their flushes.
struct CFlushes {
  double m_Single = 0, m_Burst = 0;
};
CFlushes FlushesPerReceipt(bool quick, bool syncMemory) {
  CFlushes flushes;
  const int singles = quick ? 10 : 30, burst = quick ? 200 : 1000;
  {
    BenchDriver driver(8, syncMemory);
    TimeSingles(driver, kReceipt, singles, "single");
    flushes.m_Single = driver.FlushRounds() / singles;
  }
  BenchDriver driver(8, syncMemory);
  if (DropReceipts(driver, 8, "burst", burst).m_Unanswered > 0) BenchDriver::Fail("receipts got no reply in the flush run");
  flushes.m_Burst = driver.FlushRounds() / burst;
  return flushes;
}

// The same single receipts and burst on a driver that flushes nothing.
struct CCached {
  double m_ReceiptP50 = 0, m_BurstRate = 0;
};
CCached CachedFigures(bool quick, bool syncMemory) {
  BenchDriver driver(8, syncMemory, false);
  TimeSingles(driver, kReceipt, 3, "warm");
  CCached cached;
  cached.m_ReceiptP50 = Percentile(TimeSingles(driver, kReceipt, quick ? 15 : 60, "receipt"), 0.5);
  const int burst = quick ? 200 : 2000;
  const CDropped dropped = DropReceipts(driver, 8, "burst", burst);
  cached.m_BurstRate = static_cast<double>(burst - dropped.m_Unanswered) / dropped.m_Seconds;
  return cached;
}

// Resident memory after the first 1,000 receipts and after 10,000 (quick: 3,000, scaled to 10,000):
// a driver that runs for months must not grow with the tickets it has answered.
double MemoryGrowthPer10k(bool quick, bool syncMemory) {
  BenchDriver driver(8, syncMemory);
  const int total = quick ? 3000 : 10000;
  int unanswered = DropReceipts(driver, 8, "warm", 1000).m_Unanswered;
  const double after1k = ResidentMegabytes(driver.Pid());
  for (int done = 1000; done < total; done += 1000)
    unanswered += DropReceipts(driver, 8, "grow" + std::to_string(done) + "-", 1000).m_Unanswered;
  if (unanswered > 0) BenchDriver::Fail(std::to_string(unanswered) + " receipts got no reply in the memory run");
  const double growth = ResidentMegabytes(driver.Pid()) - after1k;
  return growth * 9000.0 / static_cast<double>(total - 1000);
}

// Tickets dropped into one register's folder that already holds old replies no till has collected,
// staged and then renamed into place one after the other; seconds from the first rename to the last
// reply (a register runs its tickets in order, so the last reply comes last).
double FloodSeconds(bool syncMemory, int tickets, int oldReplies) {
  BenchDriver driver(1, syncMemory);
  const std::string folder = driver.Folder(1);
  for (int n = 0; n < oldReplies; ++n) std::ofstream(folder + "/old" + std::to_string(n) + ".rep") << "0\n";
  auto name = [](int n) {
    char text[16];
    std::snprintf(text, sizeof text, "fl%05d", n);
    return std::string(text);
  };
  for (int n = 0; n < tickets; ++n) Stage(folder, name(n), kReceipt);
  const Clock::time_point start = Clock::now();
  for (int n = 0; n < tickets; ++n) Publish(folder, name(n));
  const std::string last = folder + "/" + name(tickets - 1) + ".rep";
  const Clock::time_point deadline = start + std::chrono::seconds(tickets / 10 + 120);
  while (!fs::exists(last) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  int missing = 0;
  for (int n = 0; n < tickets; ++n) missing += fs::exists(folder + "/" + name(n) + ".rep") ? 0 : 1;
  if (missing > 0) BenchDriver::Fail(std::to_string(missing) + " tickets of the flood got no reply");
  return seconds;
}

// One sale on each of many registers, dropped at once; seconds until every reply, and the driver's
// idle CPU afterwards (percent), its safety rescans of every folder included.
struct CManyRegisters {
  double m_Seconds = 0, m_IdleCpu = 0, m_Rss = 0;
  bool m_AllAnswered = false;
};
CManyRegisters OneSaleOnEach(bool syncMemory, int registers, std::chrono::seconds idle) {
  BenchDriver driver(registers, syncMemory);
  ReplyWatch watch(driver, registers);
  std::set<std::string> pending;
  for (int ecr = 1; ecr <= registers; ++ecr) {
    Stage(driver.Folder(ecr), "one", kReceipt);
    pending.insert(std::to_string(ecr) + "/one.rep");
  }
  const Clock::time_point start = Clock::now();
  for (int ecr = 1; ecr <= registers; ++ecr) Publish(driver.Folder(ecr), "one");
  CManyRegisters many;
  many.m_AllAnswered = watch.WaitFor(pending, std::chrono::seconds(120 + registers / 10));
  many.m_Seconds = std::chrono::duration<double>(Clock::now() - start).count();
  many.m_Rss = ResidentMegabytes(driver.Pid());
  const double before = CpuSeconds(driver.Pid());
  std::this_thread::sleep_for(idle);
  many.m_IdleCpu = 100.0 * (CpuSeconds(driver.Pid()) - before) / std::chrono::duration<double>(idle).count();
  return many;
}

// The intake's figures: sales on many registers at once, the idle CPU with them, and a flood into a
// folder full of old replies against one into an empty folder. True when their targets are met.
bool IntakeFigures(bool quick, bool syncMemory) {
  // A safety rescan lists every folder every 30 s: the idle time covers at least one.
  const int manyRegisters = quick ? 300 : 1000;
  const CManyRegisters many = OneSaleOnEach(syncMemory, manyRegisters, std::chrono::seconds(quick ? 31 : 61));
  if (!many.m_AllAnswered) BenchDriver::Fail("sales on " + std::to_string(manyRegisters) + " registers got no reply");
  Print(quick ? "registers_300_s" : "registers_1000_s", many.m_Seconds);
  Print(quick ? "idle_cpu_percent_300_registers" : "idle_cpu_percent_1000_registers", many.m_IdleCpu);
  // The work per ticket does not grow with the files in its folder.
  const int flood = quick ? 3000 : 10000;
  const double floodSeconds = FloodSeconds(syncMemory, flood, flood);
  const double emptySeconds = FloodSeconds(syncMemory, 1000, 0);
  const double floodRatio = (floodSeconds / flood) / (emptySeconds / 1000);
  Print(quick ? "flood_3k_s" : "flood_10k_s", floodSeconds);
  Print("flood_1k_empty_s", emptySeconds);
  Print("flood_ratio", floodRatio);
  const bool met = floodRatio <= 1.3 && many.m_IdleCpu <= 0.5 && (quick || many.m_Seconds <= 5.0);
  std::printf("intake: %d registers in %.1f s (idle %.2f%% CPU), flood ratio %.2f: %s\n", manyRegisters, many.m_Seconds,
              many.m_IdleCpu, floodRatio, met ? "targets met" : "targets NOT met");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, syncMemory = false, intakeOnly = false;
  for (int i = 1; i < argc; ++i) {
    quick = quick || std::strcmp(argv[i], "--quick") == 0;
    syncMemory = syncMemory || std::strcmp(argv[i], "--sync-memory") == 0;
    intakeOnly = intakeOnly || std::strcmp(argv[i], "--intake") == 0;
  }
  if (intakeOnly) return IntakeFigures(quick, syncMemory) ? 0 : 1;
  int singles = quick ? 15 : 60;
  int burst = quick ? 200 : 2000;

  double emptyP50 = 0, receiptP50 = 0, receiptP99 = 0, idleCpu = 0, burstRate = 0, heldStall = 0;
  int lost = 0;
  {
    BenchDriver driver(8, syncMemory);
    TimeSingles(driver, kReceipt, 3, "warm");
    std::vector<double> empty = TimeSingles(driver, kEmptyTicket, singles, "empty");
    std::vector<double> receipts = TimeSingles(driver, kReceipt, singles, "receipt");
    emptyP50 = Percentile(empty, 0.5);
    receiptP50 = Percentile(receipts, 0.5);
    receiptP99 = Percentile(receipts, 0.99);
    Print("empty_p50_ms", emptyP50);
    Print("receipt_p50_ms", receiptP50);
    Print("receipt_p99_ms", receiptP99);
    Print("executor_overhead_ms", receiptP50 - emptyP50);

    double before = CpuSeconds(driver.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(quick ? 3 : 10));
    idleCpu = 100.0 * (CpuSeconds(driver.Pid()) - before) / (quick ? 3.0 : 10.0);
    Print("idle_cpu_percent", idleCpu);

    heldStall = Percentile(TimeSinglesBesideAHeldTicket(driver, 8, std::chrono::seconds(quick ? 3 : 10)), 0.99);
    Print("held_ticket_stall_ms", heldStall);

    const CDropped dropped = DropReceipts(driver, 8, "burst", burst);
    lost = dropped.m_Unanswered + CountLeftovers(driver, 8);
    burstRate = static_cast<double>(burst - dropped.m_Unanswered) / dropped.m_Seconds;
    Print("burst_tickets_per_s", burstRate);
    std::printf("lost=%d\n", lost);
  }
  const CManyRegisters hundred = OneSaleOnEach(syncMemory, 100, std::chrono::seconds(1));
  const int registersOk = hundred.m_AllAnswered ? 1 : 0;
  const double rss = hundred.m_Rss;
  std::printf("registers_100_ok=%d\n", registersOk);
  Print("rss_mb", rss);
  const bool intakeMet = IntakeFigures(quick, syncMemory);
  const double growth = MemoryGrowthPer10k(quick, syncMemory);
  Print("rss_growth_mb_per_10k", growth);
  const CFlushes flushes = FlushesPerReceipt(quick, syncMemory);
  Print("flushes_per_receipt", flushes.m_Single);
  Print("burst_flushes_per_receipt", flushes.m_Burst);
  const CCached cached = CachedFigures(quick, syncMemory);
  Print("receipt_p50_ms_cached", cached.m_ReceiptP50);
  Print("burst_tickets_per_s_cached", cached.m_BurstRate);
  constexpr double kBurstTarget = 300;
  bool met = receiptP50 - emptyP50 <= 3.0 && burstRate >= kBurstTarget && lost == 0 && idleCpu <= 0.5 &&
             registersOk == 1 && heldStall <= 50.0 && growth <= 1.0 && flushes.m_Single <= 3.0 &&
             intakeMet;
  std::printf("summary: receipt p50 %.1f ms (executor %.1f ms), burst %.0f tickets/s, lost %d, idle %.2f%% CPU, "
              "p99 %.1f ms beside a held ticket, 100 registers %s, %.0f MB resident, %.1f MB more per 10,000 "
              "receipts, %.2f flushes per receipt (%.2f in a burst), intake %s: %s\n",
              receiptP50, receiptP50 - emptyP50, burstRate, lost, idleCpu, heldStall, registersOk ? "ok" : "FAILED",
              rss, growth, flushes.m_Single, flushes.m_Burst, intakeMet ? "ok" : "NOT ok",
              met ? "targets met" : "targets NOT met");
  return met ? 0 : 1;
}
