#include "platform/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/text_file.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsProfileSpace(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x1A;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// One physical line of the file: its text and the line end that followed it (possibly none).
struct RawLine {
  std::string_view text;
  std::string_view end;
};

std::vector<RawLine> SplitLines(std::string_view bytes) {
  std::vector<RawLine> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) {
      lines.push_back({bytes.substr(pos), {}});
      break;
    }
    std::size_t endLength = (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
    lines.push_back({bytes.substr(pos, stop - pos), bytes.substr(stop, endLength)});
    pos = stop + endLength;
  }
  return lines;
}

// The name of a section header line, or nothing when the trimmed line is not one.
std::optional<std::string_view> SectionName(std::string_view trimmed) {
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  std::size_t close = trimmed.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

// Where a key lies in the file: the index of its line, or of the last entry of its section.
struct KeyPlace {
  std::optional<std::size_t> sectionHeader;
  std::optional<std::size_t> keyLine;
  std::size_t lastEntryOfSection = 0;
};

KeyPlace FindKey(const std::vector<RawLine>& lines, std::string_view section, std::string_view key) {
  KeyPlace place;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view trimmed = Trim(lines[i].text);
    if (auto name = SectionName(trimmed)) {
      if (inSection) break;  // only the first section of the name counts
      if (EqualIgnoringCase(*name, section)) {
        inSection = true;
        place.sectionHeader = i;
        place.lastEntryOfSection = i;
      }
      continue;
    }
    if (!inSection || trimmed.empty()) continue;
    place.lastEntryOfSection = i;
    std::size_t equals = trimmed.find('=');
    if (equals != std::string_view::npos && !place.keyLine && EqualIgnoringCase(Trim(trimmed.substr(0, equals)), key))
      place.keyLine = i;
  }
  return place;
}

std::string_view WithoutBom(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  return bytes;
}

std::optional<std::string> LookUpIn(const std::optional<std::string>& bytes, std::string_view section,
                                    std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || !bytes) return std::nullopt;
  std::vector<RawLine> lines = SplitLines(WithoutBom(*bytes));
  KeyPlace place = FindKey(lines, section, key);
  if (!place.keyLine) return std::nullopt;
  std::string_view trimmed = Trim(lines[*place.keyLine].text);
  std::string_view value = Trim(trimmed.substr(trimmed.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::string ValueOrDefault(const std::optional<std::string>& bytes, std::string_view section, std::string_view key,
                           const char* defaultValue, std::size_t size) {
  if (size == 0) return {};
  std::string result;
  if (std::optional<std::string> found = LookUpIn(bytes, section, key)) {
    result = std::move(*found);
  } else {
    result = defaultValue ? defaultValue : "";
    while (!result.empty() && result.back() == ' ') result.pop_back();
  }
  if (result.size() > size - 1) result.resize(size - 1);
  return result;
}

std::string Edited(const std::string& bytes, std::string_view section, std::string_view key, std::string_view value);

bool WriteInto(const std::string& bytes, std::string_view section, std::string_view key, std::string_view value,
               const std::string& file) {
  return ReplaceWholeFile(file, Edited(bytes, section, key, value));
}

std::optional<std::string> ReadDescriptor(int fd) {
  std::string bytes;
  char chunk[8192];
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}

bool WriteDescriptorAt0(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key, const char* defaultValue,
                                    std::size_t size, const std::string& file) {
  return ValueOrDefault(ReadWholeFile(file), section, key, defaultValue, size);
}

std::uint32_t GetPrivateProfileInt(std::string_view section, std::string_view key, int nDefault,
                                   const std::string& file) {
  std::string text = GetPrivateProfileString(section, key, "", 30, file);
  if (text.empty()) return static_cast<std::uint32_t>(nDefault);
  std::size_t pos = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    pos = 1;
  }
  std::uint32_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
  return negative ? 0u - value : value;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& file) {
  return WriteInto(ReadWholeFile(file).value_or(std::string()), section, key, value, file);
}

// The counters of Totals.txt change twice per ticket: the file is read and rewritten in place through
// one descriptor, as the Windows profile functions do, instead of being replaced by a new file.
bool UpdatePrivateProfileString(std::string_view section, std::string_view key, const char* defaultValue,
                                std::size_t size, const std::string& file,
                                std::string (*change)(const std::string& current)) {
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::optional<std::string> bytes = ReadDescriptor(fd);
  std::string current = ValueOrDefault(bytes, section, key, defaultValue, size);
  std::string out = Edited(bytes.value_or(std::string()), section, key, change(current));
  bool ok = bytes && WriteDescriptorAt0(fd, out) && ::ftruncate(fd, static_cast<off_t>(out.size())) == 0;
  return ::close(fd) == 0 && ok;
}

namespace {

std::string Edited(const std::string& bytes, std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  while (!value.empty() && IsProfileSpace(value.front())) value.remove_prefix(1);

  bool hasBom = std::string_view(bytes).substr(0, kUtf8Bom.size()) == kUtf8Bom;
  std::string_view body = WithoutBom(bytes);
  std::vector<RawLine> lines = SplitLines(body);
  KeyPlace place = FindKey(lines, section, key);

  std::string out(hasBom ? kUtf8Bom : "");
  auto append = [&out](const RawLine& line) {
    out.append(line.text);
    out.append(line.end);
  };
  if (place.keyLine) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i != *place.keyLine) {
        append(lines[i]);
        continue;
      }
      std::string_view trimmed = Trim(lines[i].text);
      out.append(Trim(trimmed.substr(0, trimmed.find('='))));
      out.append("=").append(value).append(lines[i].end.empty() ? "\r\n" : lines[i].end);
    }
  } else if (place.sectionHeader) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      append(lines[i]);
      if (i == place.lastEntryOfSection) {
        if (lines[i].end.empty()) out.append("\r\n");
        out.append(key).append("=").append(value).append("\r\n");
      }
    }
  } else {
    out.append(body);
    if (!body.empty() && body.back() != '\n' && body.back() != '\r') out.append("\r\n");
    out.append("[").append(section).append("]\r\n");
    out.append(key).append("=").append(value).append("\r\n");
  }
  return out;
}

}  // namespace
}  // namespace platform
