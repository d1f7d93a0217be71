// The "Qor.cfg" store: Load any file, Save it, Load and Save what was saved. The saved file is the
// store's own form of the model, so saving it again after a reload must give the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/admin/ini_file.h"
#include "fuzz/fuzz_support.h"

namespace {

std::string LoadAndSave(const std::string& from, const std::string& to) {
  driver::CIniFile store;
  store.SetPath(from);
  fuzz::Expect(store.Load(), "an existing file loads", from);
  // Lookups on whatever was loaded, including the names that the driver reads.
  store.HasSection("QorDriver");
  store.GetValue("QorDriver", "TicketFolder");
  store.GetValue("", "");
  store.SetPath(to);
  store.Save();
  return fuzz::ReadBytes(to);
}

// Load drops one "\r" at the end of a line and Save ends lines with "\n", so a line read as ending in
// "\r" (written "\r\r" and a line end, or "\r\r" where a long line is cut) loses that "\r" at the next
// load: "a=b\r\r\n" gives the value "b\r" once and "b" after a save.
bool CanEndLineInCarriageReturn(std::string_view bytes) { return bytes.find("\r\r") != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietDebugLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string input = fuzz::ScratchFolder() + "/input.cfg";
  static const std::string first = fuzz::ScratchFolder() + "/first.cfg";
  static const std::string second = fuzz::ScratchFolder() + "/second.cfg";
  fuzz::WriteBytes(input, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string saved = LoadAndSave(input, first);
  const std::string savedAgain = LoadAndSave(first, second);
  // A file with such a line is only checked for not crashing.
  if (!CanEndLineInCarriageReturn(std::string_view(reinterpret_cast<const char*>(data), size))) {
    fuzz::Expect(saved == savedAgain, "a saved store reloads to the same model", saved);
  }
  return 0;
}
