#include "driver/status/status_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace driver {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QJsonValue TicketJson(const CRegisterStatus& ecr) {
  if (ecr.m_Ticket.empty()) return QJsonValue::Null;
  return QJsonObject{{"name", Text(ecr.m_Ticket)}, {"since", Text(ecr.m_TicketSince)}};
}

QJsonValue LastReplyJson(const std::optional<CLastReply>& reply) {
  if (!reply) return QJsonValue::Null;
  return QJsonObject{{"ticket", Text(reply->m_Ticket)}, {"code", reply->m_Code}, {"at", Text(reply->m_At)}};
}

QJsonValue TroubleJson(const std::optional<CTrouble>& trouble) {
  if (!trouble) return QJsonValue::Null;
  return QJsonObject{{"at", Text(trouble->m_At)}, {"text", Text(trouble->m_Text)}};
}

QJsonObject RegisterJson(const CRegisterStatus& ecr) {
  QJsonObject today;
  for (const auto& [code, count] : ecr.m_RepliesToday) today.insert(QString::number(code), count);
  return QJsonObject{{"number", ecr.m_Number},
                     {"type", ecr.m_Type},
                     {"state", Text(std::string(RegisterStateName(ecr.m_State)))},
                     {"ticket", TicketJson(ecr)},
                     {"waiting", ecr.m_TicketsWaiting},
                     {"lastReply", LastReplyJson(ecr.m_LastReply)},
                     {"repliesToday", today},
                     {"trouble", TroubleJson(ecr.m_Trouble)}};
}

// Reading: each step checks the types it relies on and names what it found wrong.
struct CReader {
  std::string& m_Error;

  bool Fail(const std::string& why) {
    m_Error = why;
    return false;
  }
  bool Int(const QJsonObject& object, const char* key, int& value, const std::string& where) {
    QJsonValue found = object.value(key);
    if (!found.isDouble()) return Fail(where + ": \"" + key + "\" is not a number");
    value = found.toInt();
    return true;
  }
  bool String(const QJsonObject& object, const char* key, std::string& value, const std::string& where) {
    QJsonValue found = object.value(key);
    if (!found.isString()) return Fail(where + ": \"" + key + "\" is not a text");
    value = found.toString().toStdString();
    return true;
  }
  // An object or null; anything else is wrong.
  bool Optional(const QJsonObject& object, const char* key, std::optional<QJsonObject>& value,
                const std::string& where) {
    QJsonValue found = object.value(key);
    if (found.isNull() || found.isUndefined()) return true;
    if (!found.isObject()) return Fail(where + ": \"" + key + "\" is neither an object nor null");
    value = found.toObject();
    return true;
  }

  bool Driver(const QJsonObject& object, CDriverStatus& status) {
    if (!object.value("driver").isObject()) return Fail("\"driver\" is not an object");
    QJsonObject driver = object.value("driver").toObject();
    if (!driver.value("pid").isDouble()) return Fail("driver: \"pid\" is not a number");
    status.m_ProcessId = static_cast<long>(driver.value("pid").toInteger());
    if (!driver.value("durable").isBool()) return Fail("driver: \"durable\" is not true or false");
    status.m_Durable = driver.value("durable").toBool();
    return String(driver, "version", status.m_Version, "driver") &&
           String(driver, "startedAt", status.m_StartedAt, "driver") &&
           String(driver, "ticketRoot", status.m_TicketRoot, "driver");
  }

  bool RepliesToday(const QJsonObject& object, CRegisterStatus& ecr, const std::string& where) {
    if (!object.value("repliesToday").isObject()) return Fail(where + ": \"repliesToday\" is not an object");
    QJsonObject today = object.value("repliesToday").toObject();
    for (auto it = today.begin(); it != today.end(); ++it) {
      bool isNumber = false;
      int code = it.key().toInt(&isNumber);
      if (!isNumber || !it.value().isDouble())
        return Fail(where + ": repliesToday holds \"" + it.key().toStdString() + "\", no code with a count");
      ecr.m_RepliesToday[code] = it.value().toInt();
    }
    return true;
  }

  bool Register(const QJsonValue& value, CRegisterStatus& ecr, int index) {
    std::string where = "register " + std::to_string(index + 1);
    if (!value.isObject()) return Fail(where + " is not an object");
    QJsonObject object = value.toObject();
    std::string state;
    std::optional<QJsonObject> ticket, reply, trouble;
    if (!Int(object, "number", ecr.m_Number, where) || !Int(object, "type", ecr.m_Type, where) ||
        !String(object, "state", state, where) || !Int(object, "waiting", ecr.m_TicketsWaiting, where) ||
        !Optional(object, "ticket", ticket, where) || !Optional(object, "lastReply", reply, where) ||
        !Optional(object, "trouble", trouble, where) || !RepliesToday(object, ecr, where))
      return false;
    std::optional<RegisterState> known = RegisterStateNamed(state);
    if (!known) return Fail(where + ": the state \"" + state + "\" is unknown");
    ecr.m_State = *known;
    if (ticket && !(String(*ticket, "name", ecr.m_Ticket, where + " ticket") &&
                    String(*ticket, "since", ecr.m_TicketSince, where + " ticket")))
      return false;
    if (reply) {
      CLastReply& last = ecr.m_LastReply.emplace();
      const std::string in = where + " lastReply";
      if (!String(*reply, "ticket", last.m_Ticket, in) || !Int(*reply, "code", last.m_Code, in) ||
          !String(*reply, "at", last.m_At, in))
        return false;
    }
    if (trouble) {
      CTrouble& last = ecr.m_Trouble.emplace();
      if (!String(*trouble, "at", last.m_At, where + " trouble") ||
          !String(*trouble, "text", last.m_Text, where + " trouble"))
        return false;
    }
    return true;
  }
};

}  // namespace

QByteArray StatusJson(const CDriverStatus& status) {
  QJsonArray registers;
  for (const CRegisterStatus& ecr : status.m_Registers) registers.append(RegisterJson(ecr));
  QJsonObject driver{{"version", Text(status.m_Version)},
                     {"pid", static_cast<qint64>(status.m_ProcessId)},
                     {"startedAt", Text(status.m_StartedAt)},
                     {"ticketRoot", Text(status.m_TicketRoot)},
                     {"durable", status.m_Durable}};
  QJsonObject top{{"format", kStatusFormat}, {"driver", driver}, {"registers", registers}};
  return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

std::optional<CDriverStatus> ReadStatusJson(const QByteArray& text, std::string& error) {
  QJsonParseError parse{};
  QJsonDocument document = QJsonDocument::fromJson(text, &parse);
  if (document.isNull()) {
    error = "no JSON: " + parse.errorString().toStdString() + " at byte " + std::to_string(parse.offset);
    return std::nullopt;
  }
  QJsonObject top = document.object();
  QJsonValue format = top.value("format");
  if (!document.isObject() || !format.isDouble()) {
    error = "no \"format\" number: not a status file";
    return std::nullopt;
  }
  if (format.toDouble() != kStatusFormat) {
    error = "format " + QString::number(format.toDouble()).toStdString() + " is unknown (this reader knows format " +
            std::to_string(kStatusFormat) + ")";
    return std::nullopt;
  }
  CDriverStatus status;
  CReader reader{error};
  if (!reader.Driver(top, status)) return std::nullopt;
  if (!top.value("registers").isArray()) {
    error = "\"registers\" is not a list";
    return std::nullopt;
  }
  QJsonArray registers = top.value("registers").toArray();
  for (int index = 0; index < registers.size(); ++index)
    if (!reader.Register(registers.at(index), status.m_Registers.emplace_back(), index)) return std::nullopt;
  return status;
}

}  // namespace driver
