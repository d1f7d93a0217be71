#include "tools/regsvr/regsvr.h"

#include <cstdio>
#include <filesystem>

#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "platform/store.h"

namespace tools {
namespace {

constexpr char kUsage[] = "usage: qor-regsvr [-u] MODULE";

enum class Action { kRegister, kUnregister };

struct Request {
  Action action = Action::kRegister;
  std::string module;
};

// False on anything but "[-u] MODULE".
bool ParseArguments(const std::vector<std::string>& arguments, Request& request) {
  for (const std::string& argument : arguments) {
    if (argument == "-u" && request.action == Action::kRegister && request.module.empty()) {
      request.action = Action::kUnregister;
    } else if (!argument.empty() && argument[0] != '-' && request.module.empty()) {
      request.module = argument;
    } else {
      return false;
    }
  }
  return !request.module.empty();
}

// The store keeps the path the loader will open later, whatever the current directory is then.
std::string AbsolutePath(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute.lexically_normal().string();
}

std::string Hex(long code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
  return text;
}

}  // namespace

int RunRegsvr(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  Request request;
  if (!ParseArguments(arguments, request)) {
    err << kUsage << "\n";
    return kRegsvrBadUsage;
  }
  std::string modulePath = AbsolutePath(request.module);
  std::string error;
  platform::IComponentModule* module = platform::LoadComponentModule(modulePath, error);
  if (!module) {
    err << "qor-regsvr: cannot load " << modulePath << ": " << error << "\n";
    return kRegsvrFailed;
  }
  platform::Store store;
  bool registering = request.action == Action::kRegister;
  long result = registering ? module->DllRegisterServer(store, modulePath) : module->DllUnregisterServer(store);
  const char* entry = registering ? "DllRegisterServer" : "DllUnregisterServer";
  if (result != platform::kSelfRegOk) {
    err << "qor-regsvr: " << entry << " of " << modulePath << " failed (" << Hex(result) << ") on store "
        << store.Path() << "\n";
    return kRegsvrFailed;
  }
  out << "qor-regsvr: " << (registering ? "registered " : "unregistered ") << modulePath
      << (registering ? " in " : " from ") << store.Path() << "\n";
  return kRegsvrDone;
}

}  // namespace tools
