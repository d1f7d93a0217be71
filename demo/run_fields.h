#pragma once
// The three values of one run, exactly as they stand in the form's fields, and the checks "GO!" makes
// on them before it starts TillJobIt.

#include <string>

namespace demo {

struct RunFields {
  std::string m_CashNumber;   // Text1
  std::string m_FilePath;     // Text2
  std::string m_Destination;  // Text3, may be empty
};

enum class RunRefusal { None, CashNumberAndFilePath, FilePath, CashNumber, DestinationPath };

// The first check that fails, in the form's order: file (with the cash number deciding the text),
// cash number, destination.
RunRefusal CheckRunFields(const RunFields& fields);

// The message shown for a refusal ("" for None).
const char* RefusalMessage(RunRefusal refusal);

// The file check: a file of that name exists. Folders and hidden files (names beginning with ".")
// do not count, as folders, hidden and system files did not count where the form comes from.
bool TicketFileExists(const std::string& path);

// The destination check: something, a folder or a file, exists under that name.
bool DestinationExists(const std::string& path);

}  // namespace demo
