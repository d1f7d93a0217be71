#pragma once
// status.json: the driver's status for other programs. The top-level "format" number changes only when
// a reader of the old format would misread the new one; within a format fields are only ever added,
// so a reader takes the format it knows and passes over keys it does not know.

#include <QByteArray>
#include <optional>
#include <string>

#include "driver/status/status_snapshot.h"

namespace driver {

inline constexpr int kStatusFormat = 1;

QByteArray StatusJson(const CDriverStatus& status);

// The status in a status.json text of format 1; nothing, with the reason in error, for anything else.
std::optional<CDriverStatus> ReadStatusJson(const QByteArray& text, std::string& error);

}  // namespace driver
