#pragma once
// What the sheet tests share: the emulated registers of the control rig with the two mutexes the
// driver gives each register, and a sheet host over them that runs the sheet's jobs as the driver
// does, tells when they have ended, and hands their outcomes and the saved reports to the sheet
// attached to it. Texts come from the shipped catalogues.

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "driver/admin/prop_dialog.h"
#include "driver/admin/sheet_host.h"
#include "driver/admin/sheet_memory.h"
#include "driver/control/testing/control_rig.h"
#include "testsupport/temp_folder.h"

namespace driver::admintest {

inline constexpr std::chrono::seconds kGenerous{20};

// The text of a number in the shipped catalogue of language (English by default), and the same
// with its placeholders filled.
std::string MessageOf(const char* number, const std::string& language = "English");
std::string FilledMessage(const char* number, const std::vector<std::string>& values);

// Waits for a condition that no event announces (a journal line), handling queued calls meanwhile;
// at most kGenerous.
bool Eventually(const std::function<bool()>& condition);

class CSheetTestHost final : public ISheetHost, public IJobHost {
 public:
  explicit CSheetTestHost(CControlRig& rig);
  ~CSheetTestHost() override;

  // The sheet that gets the jobs' outcomes and the notices of saved reports, as the driver's open
  // sheet does (on the main thread).
  void Attach(CPropDialog& sheet);
  // The catalogue's language for every text from now on.
  void UseLanguage(std::string language) { m_Language = std::move(language); }

  // ISheetHost
  std::vector<CEcrContext*> Registers() override;
  int SelectedRegister() const override { return m_Selected; }
  void SetSelectedRegister(int index) override { m_Selected = index; }
  IJobHost& JobHost() override { return *this; }
  std::string MessageText(const char* number) const override { return MessageOf(number, m_Language); }
  CSheetFont PageFont() const override { return {}; }
  CSheetValues& SheetValues(std::int32_t ecr) override { return m_Memory.Of(ecr); }

  // IJobHost
  IFiscalControl& Control() override { return m_Rig.Control(); }
  CJobOptions Options() const override { return {}; }
  platform::CFlushGroup& Flushes() override { return m_Flushes; }
  ControlStatus WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) override;
  bool IsSheetOpen() const override { return true; }
  void ShowSheetStatus(const std::string& text) override;
  void PostStatusAlert(std::int32_t) override {}
  std::string MessageText(int number) const override { return MessageOf(std::to_string(number).c_str(), m_Language); }
  void JobThreadEnded(CJobThreadIdentity thread) override;
  void SheetJobEnded(const CSheetJobOutcome& outcome) override;

  // Waits until count jobs have ended in all.
  bool WaitForJobs(std::size_t count);
  std::size_t EndedJobs() const;
  // Waits until count outcomes (of jobs and direct utilities) have been handed to the sheet in all.
  bool WaitForOutcomes(std::size_t count);
  std::vector<std::string> StatusLines() const;

 private:
  CControlRig& m_Rig;
  CSheetMemory m_Memory;
  platform::CFlushGroup m_Flushes{platform::CFlushGroup::Mode::kCached};
  std::string m_Language = "English";
  QPointer<CPropDialog> m_Sheet;
  int m_Selected = 0;
  mutable std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::size_t m_Ended = 0;
  std::size_t m_Outcomes = 0;
  std::vector<std::string> m_StatusLines;
};

// Registers 1-4 of types 1, 2, 0, 3 on the emulator, each with its job mutex (free) and stop mutex
// (owned by the test's thread, as the window thread owns it in the driver).
struct CSheetRig {
  testsupport::TempFolder m_Base;
  CControlRig m_Rig{m_Base.Path()};
  CSheetTestHost m_Host{m_Rig};

  CSheetRig();
  CEcrContext& Ecr(int number) { return m_Rig.Ecr(number); }
  // What the sheet remembers of the register.
  CSheetValues& Sheet(int number) { return m_Host.SheetValues(number); }
  std::string Journal(int number);
  // The calls the register received, events left out.
  std::vector<std::string> Calls(int number);
  int CountCalls(int number, const std::string& call);
};

// The sheet's page at index with the register at position ecrIndex chosen.
CAdminPage& PageOn(CPropDialog& sheet, int pageIndex, int ecrIndex);

template <class Widget>
Widget& Child(QWidget& parent, const char* name) {
  Widget* child = parent.findChild<Widget*>(name);
  if (child == nullptr) throw std::runtime_error(std::string("no child ") + name);
  return *child;
}

void Click(QWidget& parent, const char* buttonName);

// Runs answer on the next question (a modal message box) once it is up; the question's own loop
// runs meanwhile, so call this before the click that asks.
void WhenAsked(std::function<void(QMessageBox&)> answer);
void PressYes(QMessageBox& question);
// The key a person presses to take the default button.
void PressReturn(QMessageBox& question);

// Chooses the register at index in the page's selector as a person does.
void ChooseRegister(CAdminPage& page, int index);

// Page indexes in sheet order.
enum SheetPage { kReportsPage, kZeroSetPage, kDepartmentsPage, kPlusPage, kOffersPage, kHeadersPage, kUtilitiesPage };

}  // namespace driver::admintest
