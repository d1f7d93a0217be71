#pragma once
// The fiscal device control: the outside component that owns the link to the registers. The driver
// reaches every register through one control; calls and events carry the register number.
// Every method returns a 32-bit status, 0 = success. Strings are 8-bit text, passed through unchanged.
//
// A control may call its event sink on any thread of its own; the driver's binding moves every
// event onto the window thread before it is handled.
//
// The contract is plain C++, shared by the driver and every control module; a module is loaded as a
// Qt plug-in through the declaration in fiscal_control_plugin.h.

#include <cstdint>
#include <optional>
#include <string>

namespace control_api {

using ControlStatus = std::int32_t;

// Class id under which a control module is registered in the store.
inline constexpr const char* kFiscalControlClassId = "{CCB3B546-321D-414F-A132-FD5EAF450FD8}";

// Dispatch ids of the control's boolean properties, set true in this order at start-up.
inline constexpr int kControlStartupProperties[] = {3, 5, 4, 9, 26, 27};

// Request codes the driver uses.
inline constexpr std::int32_t kRequestRegisterListEcr = 123;
inline constexpr std::int32_t kRequestRegisterList = 6;
inline constexpr std::int32_t kRequestStatus = 5;
// The register's counters, answered at once: "#<RECEIPTNO>n</RECEIPTNO><CLOSURENO>n</CLOSURENO>
// <ZEROSETNO>n</ZEROSETNO>" (receipts closed, fiscal closures and zero-sets made, for the life of the
// register). A control that does not serve it returns nonzero.
inline constexpr std::int32_t kRequestCounters = 7;
inline constexpr std::int32_t kRequestHistory = 13;
inline constexpr std::int32_t kRequestHistoryRollback = 14;
inline constexpr std::int32_t kRequestReportBase = 51;   // 51..58
inline constexpr std::int32_t kRequestZeroSetBase = 80;  // 80..85

// Statuses with a meaning every control gives them, above the driver's own reply codes (1-22): a
// method's status, or the result of an IODirect command's completion.
inline constexpr ControlStatus kStatusNotOpen = 201;          // Open was not called, or Close was
inline constexpr ControlStatus kStatusUnknownRegister = 202;  // the register is not on the list
inline constexpr ControlStatus kStatusUnknownCommand = 203;   // an IODirect text of no family the register speaks
inline constexpr ControlStatus kStatusNoAnswer = 205;         // the register does not answer
inline constexpr ControlStatus kResultCommandRefused = 111;   // the register's state refuses the command
inline constexpr ControlStatus kResultNotSaved = 112;         // a report or history file could not be written

class IFiscalControlEvents {
 public:
  virtual ~IFiscalControlEvents() = default;
  // An IODirect command, or a printed report or zero-set request, has ended: result 0 when the register
  // carried it out, else the register's own code for refusing it (the text then says why).
  virtual void DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) = 0;
  virtual void OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) = 0;
  virtual void StatusUpdateEvent(std::int32_t ecr, const std::string& status) = 0;
  // The reply may stay unset: the register then gets no answer.
  virtual void RequestEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                            std::optional<std::string>& reply) = 0;
  virtual void DataEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                         std::optional<std::string>& reply) = 0;
  virtual void ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) = 0;
  virtual void HistorySavedEvent(std::int32_t ecr, const std::string& path) = 0;
};

class IFiscalControl {
 public:
  virtual ~IFiscalControl() = default;

  // Where events go; nullptr stops them. Set before Open.
  virtual void SetEventSink(IFiscalControlEvents* sink) = 0;

  virtual void SetBooleanProperty(int dispid, bool value) = 0;
  virtual bool GetBooleanProperty(int dispid) const = 0;
  virtual std::string GetReportFolder() const = 0;            // DISPID 25
  virtual void SetReportFolder(const std::string& folder) = 0;

  virtual ControlStatus Open(const std::string& argument) = 0;                                   // 14
  virtual ControlStatus Close() = 0;                                                             // 15
  virtual ControlStatus Write(std::int32_t ecr, std::int32_t mode, const std::string& element,
                              std::int32_t& job) = 0;                                            // 17
  virtual ControlStatus Request(std::int32_t ecr, std::int32_t code, std::string& text) = 0;     // 18
  virtual ControlStatus IODirect(std::int32_t ecr, const std::string& command, std::int16_t argument) = 0;  // 19
  virtual ControlStatus ClearOutput(std::int32_t ecr) = 0;                                       // 21
  virtual ControlStatus BeginJob(std::int32_t ecr) = 0;                                          // 22
  virtual ControlStatus EndJob(std::int32_t ecr) = 0;                                            // 23
};

}  // namespace control_api
