#include "platform/store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>

#include "platform/text_file.h"

namespace platform {
namespace {

struct StoreValue {
  std::string name;  // "" = default value
  std::string value;
};

struct StoreKey {
  std::string path;
  std::vector<StoreValue> values;
};

using StoreModel = std::vector<StoreKey>;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// "a\b\" and "a\b" name the same key.
std::string_view NormalKey(std::string_view key) {
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

bool IsBelow(std::string_view path, std::string_view parent) {
  return path.size() > parent.size() && path[parent.size()] == '\\' && SameName(path.substr(0, parent.size()), parent);
}

std::string Escape(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescape(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      char next = value[++i];
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      out += value[i];
    }
  }
  return out;
}

StoreModel Parse(std::string_view bytes) {
  StoreModel model;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t stop = bytes.find('\n', pos);
    std::string_view line = bytes.substr(pos, stop == std::string_view::npos ? std::string_view::npos : stop - pos);
    pos = stop == std::string_view::npos ? bytes.size() : stop + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      model.push_back({std::string(NormalKey(line.substr(1, line.size() - 2))), {}});
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || model.empty()) continue;
    std::string_view name = line.substr(0, equals);
    model.back().values.push_back({name == "@" ? std::string() : std::string(name), Unescape(line.substr(equals + 1))});
  }
  return model;
}

std::string Serialise(const StoreModel& model) {
  std::string out = "; Machine-wide store of the fiscal register driver. Keys are matched ignoring case.\n";
  for (const StoreKey& key : model) {
    out += "\n[" + key.path + "]\n";
    for (const StoreValue& value : key.values)
      out += (value.name.empty() ? std::string("@") : value.name) + "=" + Escape(value.value) + "\n";
  }
  return out;
}

StoreModel Load(const std::string& path) { return Parse(ReadWholeFile(path).value_or(std::string())); }

StoreKey* Find(StoreModel& model, std::string_view key) {
  key = NormalKey(key);
  for (StoreKey& entry : model)
    if (SameName(entry.path, key)) return &entry;
  return nullptr;
}

StoreKey& FindOrCreate(StoreModel& model, std::string_view key) {
  key = NormalKey(key);
  if (StoreKey* found = Find(model, key)) return *found;
  // Create the parents too, as the registry does.
  for (std::size_t slash = key.find('\\'); slash != std::string_view::npos; slash = key.find('\\', slash + 1))
    if (!Find(model, key.substr(0, slash))) model.push_back({std::string(key.substr(0, slash)), {}});
  model.push_back({std::string(key), {}});
  return model.back();
}

bool CreateParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Runs change on the model under an exclusive lock held on a lock file beside the store.
bool Change(const std::string& path, const std::function<bool(StoreModel&)>& change) {
  if (!CreateParentFolders(path)) return false;
  std::string lockPath = path + ".lock";
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd < 0) return false;
  while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
  }
  StoreModel model = Load(path);
  bool changed = change(model);
  bool ok = !changed || ReplaceWholeFile(path, Serialise(model));
  ::close(lockFd);
  return ok;
}

}  // namespace

std::string Store::DefaultPath() {
  if (const char* explicitPath = std::getenv("QOR_REGISTRY"); explicitPath && *explicitPath) return explicitPath;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return std::string(config) + "/qor/registry";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/qor/registry";
}

Store::Store(std::string path) : m_Path(std::move(path)) {}

bool Store::KeyExists(std::string_view key) const {
  StoreModel model = Load(m_Path);
  return Find(model, key) != nullptr;
}

std::optional<std::string> Store::GetValue(std::string_view key, std::string_view name) const {
  StoreModel model = Load(m_Path);
  StoreKey* entry = Find(model, key);
  if (!entry) return std::nullopt;
  for (const StoreValue& value : entry->values)
    if (SameName(value.name, name)) return value.value;
  return std::nullopt;
}

std::vector<std::string> Store::SubKeys(std::string_view key) const {
  key = NormalKey(key);
  std::vector<std::string> names;
  for (const StoreKey& entry : Load(m_Path)) {
    if (!IsBelow(entry.path, key)) continue;
    std::string_view rest = std::string_view(entry.path).substr(key.size() + 1);
    if (rest.find('\\') == std::string_view::npos) names.emplace_back(rest);
  }
  return names;
}

bool Store::CreateKey(std::string_view key) {
  return Change(m_Path, [key](StoreModel& model) {
    if (Find(model, key)) return false;
    FindOrCreate(model, key);
    return true;
  });
}

bool Store::SetValue(std::string_view key, std::string_view name, std::string_view value) {
  return Change(m_Path, [&](StoreModel& model) {
    StoreKey& entry = FindOrCreate(model, key);
    for (StoreValue& existing : entry.values) {
      if (SameName(existing.name, name)) {
        existing.value = std::string(value);
        return true;
      }
    }
    entry.values.push_back({std::string(name), std::string(value)});
    return true;
  });
}

bool Store::DeleteValue(std::string_view key, std::string_view name) {
  return Change(m_Path, [&](StoreModel& model) {
    StoreKey* entry = Find(model, key);
    if (!entry) return false;
    auto& values = entry->values;
    auto old = values.size();
    values.erase(std::remove_if(values.begin(), values.end(), [&](const StoreValue& v) { return SameName(v.name, name); }),
                 values.end());
    return values.size() != old;
  });
}

bool Store::DeleteTree(std::string_view key) {
  std::string_view normal = NormalKey(key);
  return Change(m_Path, [normal](StoreModel& model) {
    auto old = model.size();
    model.erase(std::remove_if(model.begin(), model.end(),
                               [normal](const StoreKey& k) { return SameName(k.path, normal) || IsBelow(k.path, normal); }),
                model.end());
    return model.size() != old;
  });
}

}  // namespace platform
