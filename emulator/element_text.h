#pragma once
// Reading one element line of a command document: its name (the first tag) and its children.

#include <string>
#include <string_view>

namespace emulator {

// The name of the line's first tag: "SELLITEM" for "<SELLITEM><PLUCODE>..."; empty when there is none.
std::string ElementName(std::string_view line);
// The value between "<NAME>" (searched from index 1) and the following "</NAME>"; empty when missing.
std::string ChildValue(std::string_view line, std::string_view name);
// The value of a child the document's writer escapes ("&amp;", "&lt;", "&gt;"), with those escapes
// undone once, left to right: "&amp;lt;" gives "&lt;". Any other "&" stays as it is.
std::string MarkupValue(std::string_view line, std::string_view name);
// True when the line carries the child at all (an empty child is present).
bool HasChild(std::string_view line, std::string_view name);

}  // namespace emulator
