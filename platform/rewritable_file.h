#pragma once
// A small file rewritten in place through a descriptor kept open: a write creates, renames and
// removes nothing, which is what makes it cheap (a few tens of microseconds instead of a few hundred).
// A rewrite is two steps (the bytes, then the length), so a writer killed in between leaves the new
// bytes followed by the end of the old ones; callers that must survive that keep two such files and
// tell a whole text from a cut one.

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_descriptor.h"
#include "platform/text_file.h"

namespace platform {

class CRewritableFile {
 public:
  // Opens the file for reading and writing, making it when it is missing, never through a link;
  // false when it cannot.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_File.IsOpen(); }

  // The file's whole content; nothing when it cannot be read.
  std::optional<std::string> Read() const;
  // Afterwards the file holds exactly these bytes (on the disk too with Durability::kSynced).
  bool Rewrite(std::string_view bytes, Durability durability);

 private:
  FileDescriptor m_File;
};

}  // namespace platform
