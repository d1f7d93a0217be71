#pragma once
// The status and metrics files are replaced whole: a reader opens either the old text or the new one,
// never a mix. They are not flushed: they are rewritten often, a reader wants the latest, and a power
// cut that takes back the last rewrite loses nothing that the next one does not write again.

#include <QByteArray>
#include <string>

namespace driver {

inline constexpr const char* kStatusFileName = "status.json";  // in the base directory

// Writes the text to a new hidden file beside path (created exclusively, never through a link) and
// renames it over path. False, with the reason naming the file, when that fails; nothing is left behind.
bool WriteStatusFile(const std::string& path, const QByteArray& text, std::string& error);

}  // namespace driver
