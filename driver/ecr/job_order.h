#pragma once
// A job as one value: the register it runs on and its kind, each kind with exactly what it works on.
// A ticket job has its command document and reply files; a job of the administration sheet has its own
// copy of the sheet's values, taken when it is started, so nothing the sheet or another job does
// afterwards reaches it. The job codes are the kinds' labels in the log and in the sheet's calls.

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "driver/control/ecr_context.h"
#include "driver/ecr/command_strings.h"
#include "driver/tickets/document_job.h"

namespace driver {

inline constexpr std::int32_t kJobReport = 1243;
inline constexpr std::int32_t kJobHistoryRollback = 1342;
inline constexpr std::int32_t kJobHistoryRequest = 2143;
inline constexpr std::int32_t kJobTicketHeader = 2341;
inline constexpr std::int32_t kJobPlu = 2413;
inline constexpr std::int32_t kJobDepartment = 3412;
inline constexpr std::int32_t kJobZeroSet = 4123;
inline constexpr std::int32_t kJobOffer = 4321;

inline constexpr std::int32_t kFiscalClosureType = -1;  // the zero-set kind of the fiscal closure

struct CDepartmentJob {
  static constexpr std::int32_t kCode = kJobDepartment;
  CDepartmentRecord m_Record;
};

struct CPluJob {
  static constexpr std::int32_t kCode = kJobPlu;
  CPluRecord m_Record;
};

struct COfferJob {
  static constexpr std::int32_t kCode = kJobOffer;
  COfferRecord m_Record;
};

// The six header lines: 1-3 and 4-6, as the register's data exchange asks for them.
struct CHeaderJob {
  static constexpr std::int32_t kCode = kJobTicketHeader;
  std::array<std::string, 3> m_AnswerA;
  std::array<std::string, 3> m_AnswerB;
};

struct CReportJob {
  static constexpr std::int32_t kCode = kJobReport;
  std::int32_t m_ReportType = 0;
  std::int32_t m_PrintFlag = 0;
};

struct CZeroSetJob {
  static constexpr std::int32_t kCode = kJobZeroSet;
  std::int32_t m_ZeroSetType = 0;  // kFiscalClosureType: the fiscal closure
  std::int32_t m_PrintFlag = 0;
};

struct CHistoryRequestJob {
  static constexpr std::int32_t kCode = kJobHistoryRequest;
};

struct CHistoryRollbackJob {
  static constexpr std::int32_t kCode = kJobHistoryRollback;
};

// Not a code of the sheet's job calls: the code under which a direct utility reports its outcome.
inline constexpr std::int32_t kJobDirectUtility = -1;

enum class DirectUtility {
  UnlockKeyboard,  // "*U" with WaitIODirect on the star family, "0;*3;" on the zero family
  ClearError,      // "*SZ" twice with WaitIODirect on the star family, "0;#S3:3" on the zero family
  Command,         // the given text, unchanged, on any register
};

// One of the sheet's direct utilities (direct_utility.h): sent between jobs, not as one.
struct CDirectUtilityJob {
  static constexpr std::int32_t kCode = kJobDirectUtility;
  DirectUtility m_Utility = DirectUtility::Command;
  std::string m_Command;
};

// A code that names no job: the register is taken and given back, nothing is sent.
struct CNoJob {
  std::int32_t m_Code = 0;
};

using CJobKind = std::variant<CDocumentJob, CDepartmentJob, CPluJob, COfferJob, CHeaderJob, CReportJob, CZeroSetJob,
                              CHistoryRequestJob, CHistoryRollbackJob, CDirectUtilityJob, CNoJob>;

struct CJobOrder {
  CEcrContext* m_Register = nullptr;
  CJobKind m_Kind;
};

std::int32_t JobCodeOf(const CJobKind& kind);


}  // namespace driver
