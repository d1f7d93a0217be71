#pragma once
// What an element's tag tells about its effect on the register, for the record of a job's progress
// and its recovery: receipts (opened, added to, closed), programming batches, counted zero-sets and
// closures, and the rest.

#include <algorithm>
#include <initializer_list>
#include <string>

namespace driver {

inline bool TagIs(const std::string& tag, std::initializer_list<const char*> tags) {
  return std::any_of(tags.begin(), tags.end(), [&](const char* one) { return tag == one; });
}

inline bool IsOpening(const std::string& tag) { return TagIs(tag, {"<OPEN_TICKET>", "<OPEN_TABLE>"}); }
inline bool IsClosing(const std::string& tag) {
  return TagIs(tag, {"<CLOSE_TICKET>", "<CLOSE_TABLE>", "<TICKETVOID>"});
}
inline bool IsReceiptElement(const std::string& tag) {
  return IsOpening(tag) || IsClosing(tag) ||
         TagIs(tag, {"<SELLITEM>", "<PASTVOID>", "<REFUND>", "<DISCOUNT>", "<PRINTLINE>"});
}
inline bool IsProgramming(const std::string& tag) { return TagIs(tag, {"<SET_DEPARTMENT>", "<SET_PLU>", "<SET_OFF>"}); }
inline bool IsCountedZeroSet(const std::string& tag) { return TagIs(tag, {"<FISCAL_CLOSURE>", "<ZEROSET_REQUEST>"}); }

// Whether an element after previous can go to the register without its begin on the disk: where a
// recovery places it from the register's own state alone. That holds within one receipt (its state
// and counter tell how far it went) and within one programming batch (run again from its first
// record). Every other element starts a group of its own.
inline bool ContinuesGroup(const std::string& previous, const std::string& tag) {
  if (IsReceiptElement(tag)) return !IsOpening(tag) && IsReceiptElement(previous) && !IsClosing(previous);
  return IsProgramming(tag) && IsProgramming(previous);
}

// Whether a recovery of the element compares the register's counters with those at its start.
inline bool NeedsCounters(const std::string& tag) { return IsReceiptElement(tag) || IsCountedZeroSet(tag); }

}  // namespace driver
