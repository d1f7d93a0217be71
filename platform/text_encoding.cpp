#include "platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cctype>

namespace platform {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper;
}

// The length of the well-formed character starting at `at`, or 0 when none does (RFC 3629's table).
std::size_t CharacterAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[at + n]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t n = 2; n < length; ++n)
    if (!IsContinuation(byte(n))) return 0;
  return length;
}

// The UTF-8 text of one byte of the code page; empty when the byte means nothing there.
std::optional<std::string> ByteAsUtf8(iconv_t converter, unsigned char byte) {
  ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inAt = in;
  char* outAt = out;
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof out;
  if (::iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) {
    // A byte that only starts a character: the code page is not single-byte.
    if (errno == EINVAL) return std::nullopt;
    return std::string();
  }
  return std::string(out, static_cast<std::size_t>(outAt - out));
}

}  // namespace

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::size_t Utf8Length(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(static_cast<unsigned char>(c)); }));
}

std::size_t Utf8Offset(std::string_view text, std::size_t characters) {
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    if (IsContinuation(static_cast<unsigned char>(text[at]))) continue;
    if (characters == 0) return at;
    --characters;
  }
  return text.size();
}

std::string_view Utf8Prefix(std::string_view text, std::size_t characters) {
  return text.substr(0, Utf8Offset(text, characters));
}

std::string_view Utf8Slice(std::string_view text, std::size_t first, std::size_t count) {
  text.remove_prefix(Utf8Offset(text, first));
  return count == std::string_view::npos ? text : Utf8Prefix(text, count);
}

std::optional<std::size_t> FirstInvalidUtf8(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = CharacterAt(text, at);
    if (length == 0) return at;
    at += length;
  }
  return std::nullopt;
}

std::string Utf8PadRight(std::string_view text, std::size_t width) {
  std::string padded(text);
  const std::size_t length = Utf8Length(text);
  if (length < width) padded.append(width - length, ' ');
  return padded;
}

std::string Utf8PadLeft(std::string_view text, std::size_t width) {
  const std::size_t length = Utf8Length(text);
  std::string padded(length < width ? width - length : 0, ' ');
  return padded.append(text);
}

std::optional<CTextEncoding> CTextEncoding::Named(std::string_view name) {
  const std::string upper = Upper(name);
  if (upper == "UTF-8" || upper == "UTF8") return Utf8();
  if (upper.empty()) return std::nullopt;
  const iconv_t converter = ::iconv_open("UTF-8", upper.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  CTextEncoding encoding;
  encoding.m_Name = upper;
  encoding.m_Utf8 = false;
  bool singleByte = true;
  for (int byte = 0; byte < 256 && singleByte; ++byte) {
    std::optional<std::string> character = ByteAsUtf8(converter, static_cast<unsigned char>(byte));
    if (!character) singleByte = false;
    else encoding.m_Characters[static_cast<std::size_t>(byte)] = std::move(*character);
  }
  ::iconv_close(converter);
  // A code page that turns plain ASCII into something else (UTF-16, EBCDIC) is no ticket encoding.
  for (int byte = 0x20; byte < 0x7F && singleByte; ++byte)
    singleByte = encoding.m_Characters[static_cast<std::size_t>(byte)] == std::string(1, static_cast<char>(byte));
  if (!singleByte) return std::nullopt;
  return encoding;
}

CTextEncoding CTextEncoding::Utf8() { return CTextEncoding(); }

bool CTextEncoding::ToUtf8(std::string_view text, std::string& out, std::size_t& badOffset) const {
  if (m_Utf8) {
    const std::optional<std::size_t> bad = FirstInvalidUtf8(text);
    if (bad) {
      badOffset = *bad;
      return false;
    }
    out.assign(text);
    return true;
  }
  out.clear();
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::string& character = m_Characters[static_cast<unsigned char>(text[at])];
    if (character.empty()) {
      badOffset = at;
      return false;
    }
    out += character;
  }
  return true;
}

}  // namespace platform
