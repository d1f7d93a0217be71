#pragma once
// CAdminPage: what every page of the administration sheet shares. A page owns a register selector
// filled from the driver's list. Each time it is shown it selects the register last used on any page
// (chosen in a selector or sent to), so what it sends goes where the person last looked; it loads its
// fields from the chosen register and again when the choice changes, writes its messages to the
// sheet's status line, asks before what cannot be undone, and starts the register's jobs.

#include <QComboBox>
#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/admin/sheet_host.h"
#include "driver/admin/sheet_memory.h"
#include "driver/admin/sheet_status.h"
#include "driver/ecr/job_starter.h"

class QLineEdit;
class QButtonGroup;

namespace driver {

// What a page may add to a job it starts.
struct CJobExtras {
  SavedReport m_Report = SavedReport::NotExpected;  // the outcome is a report the register saves
  std::string m_Note;                                // follows the "sent" text on the status line
};

class CAdminPage : public QWidget {
  Q_OBJECT

 public:
  CAdminPage(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

  // Fills the selector and loads the fields, once; showing the page does it by itself.
  void EnsureInitialised();
  QComboBox& EcrSelector() { return m_EcrSelector; }

 protected:
  void showEvent(QShowEvent* event) override;

  // The page initialisation's load from the chosen register.
  virtual void LoadInitial(CEcrContext& ecr) = 0;
  // The load after another register was chosen; the same as the initial one unless a page differs.
  virtual void LoadAfterChange(CEcrContext& ecr) { LoadInitial(ecr); }

  ISheetHost& Host() { return m_Host; }
  CSheetStatus& Status() { return m_Status; }
  CEcrContext* ChosenEcr() const;
  // A catalogue text, its placeholders filled with the values.
  QString Message(const char* number, const std::vector<std::string>& values = {}) const;
  void ShowStatus(const char* number, const std::vector<std::string>& values = {});
  // Stores the chosen register back as the selected one and starts the job on it; the status line
  // says whether it went out, and later how it ended.
  void StartJob(CEcrContext& ecr, CJobKind job, const CJobExtras& extras = {});
  // What the sheet remembers of the register: each page's last values.
  CSheetValues& Remembered(const CEcrContext& ecr) { return m_Host.SheetValues(ecr.m_EcrId); }
  // Asks message number about ecr before what cannot be undone (careful_question.h); true on Yes.
  bool Confirm(const char* number, const CEcrContext& ecr);

  // The department rule of the star family: above 12 shows message "3", selects 12 and refuses.
  bool DepartmentAllowed(QComboBox& departments, const CEcrContext& ecr);
  // The field's amount as the register takes it (decimal comma on the star family); message "85"
  // naming label, and the field in focus, when it is no amount.
  std::optional<std::string> AmountOf(QLineEdit& field, const QString& label, const CEcrContext& ecr);

  // The selector in a frame with this caption.
  QGroupBox* MakeEcrFrame(const QString& caption);

 private:
  void FillEcrSelector();

  ISheetHost& m_Host;
  CSheetStatus& m_Status;
  QComboBox m_EcrSelector;
  bool m_Initialised = false;
};

// Texts cross between the registers' 8-bit bytes and the widgets here.
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);
std::string TextOf(const QLineEdit& field);

// A selector of the numbers first..last, item data = the number.
void FillNumberSelector(QComboBox& selector, int first, int last);
// Selects the entry holding number; the first entry when none does.
void SelectNumber(QComboBox& selector, int number);
int SelectedNumber(const QComboBox& selector);

// Checks the choice with this id; none checked when no button has it.
void CheckChoice(QButtonGroup& group, int id);

}  // namespace driver
