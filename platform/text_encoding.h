#pragma once
// Text in the encodings tills write: UTF-8, or a single-byte code page (CP1252, CP1253, ISO-8859-7 and
// any other the system's converter knows). Inside the driver text is UTF-8; a ticket in a code page is
// decoded once, character by character, so a fixed column of a code page ticket still holds as many
// characters as it held bytes. Characters here are Unicode code points: a cut between two of them
// never leaves invalid text.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// True when every byte is below 0x80: then bytes and characters are the same.
bool IsAscii(std::string_view text);
// The number of characters of valid UTF-8 text.
std::size_t Utf8Length(std::string_view text);
// The byte offset where the character at that index starts; the text's size when it has fewer.
std::size_t Utf8Offset(std::string_view text, std::size_t characters);
// At most that many characters from the start.
std::string_view Utf8Prefix(std::string_view text, std::size_t characters);
// The characters from index `first`, at most `count` of them (all to the end when count is npos).
std::string_view Utf8Slice(std::string_view text, std::size_t first, std::size_t count = std::string_view::npos);
// The byte offset of the first byte that is not part of a well-formed UTF-8 character (overlong
// forms, surrogates and values past U+10FFFF are not); nothing when the whole text is valid.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view text);
// Filled with blanks to at least that many characters, on the right or on the left; never cut.
std::string Utf8PadRight(std::string_view text, std::size_t width);
std::string Utf8PadLeft(std::string_view text, std::size_t width);

class CTextEncoding {
 public:
  // The encoding of that name ("UTF-8", "CP1253", "ISO-8859-7", ... in any letter case); nothing for a
  // name the system does not know or an encoding that is not UTF-8 and not single-byte.
  static std::optional<CTextEncoding> Named(std::string_view name);
  static CTextEncoding Utf8();

  const std::string& Name() const { return m_Name; }
  bool IsUtf8() const { return m_Utf8; }

  // The text as UTF-8 into `out`; on a byte that is no character of the encoding, its offset and
  // false (`out` is then unspecified).
  bool ToUtf8(std::string_view text, std::string& out, std::size_t& badOffset) const;

 private:
  CTextEncoding() = default;
  std::string m_Name = "UTF-8";
  bool m_Utf8 = true;
  // Single-byte code pages: the UTF-8 text of each byte; empty where the byte means no character.
  std::array<std::string, 256> m_Characters;
};

}  // namespace platform
