#include "driver/status/status_time.h"

#include <QDateTime>

namespace driver {

std::string StatusTime(std::chrono::system_clock::time_point when) {
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
  QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
  // A fixed offset always writes itself ("+02:00"); local time alone may not, and UTC writes "Z".
  std::string text = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
  if (!text.empty() && text.back() == 'Z') text.replace(text.size() - 1, 1, "+00:00");
  return text;
}

std::optional<std::chrono::system_clock::time_point> StatusInstant(const std::string& text) {
  QDateTime parsed = QDateTime::fromString(QString::fromStdString(text), Qt::ISODate);
  if (text.empty() || !parsed.isValid()) return std::nullopt;
  return std::chrono::system_clock::time_point(std::chrono::milliseconds(parsed.toMSecsSinceEpoch()));
}

}  // namespace driver
