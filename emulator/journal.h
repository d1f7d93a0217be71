#pragma once
// The printed journal of a register: every line the register prints (receipts, reports, programming
// changes) appended to "<base directory>/Journal/ECR<n>.txt".

#include <string>
#include <vector>

namespace emulator {

std::string JournalPath(const std::string& baseDirectory, int ecr);
// Appends the lines; false when the file cannot be written (the register still prints).
bool AppendToJournal(const std::string& baseDirectory, int ecr, const std::vector<std::string>& lines);

}  // namespace emulator
