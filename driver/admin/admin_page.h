#pragma once
// CAdminPage: what every page of the administration sheet shares. A page owns a register selector
// filled from the driver's list, loads its fields from the chosen register when it is first shown
// (so it starts with the register last chosen on any page) and again when the choice changes, writes
// its validation messages to the sheet's status line and starts the register's jobs.

#include <QComboBox>
#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "driver/admin/sheet_host.h"
#include "driver/ecr/job_starter.h"

class QLineEdit;
class QButtonGroup;

namespace driver {

class CAdminPage : public QWidget {
  Q_OBJECT

 public:
  using StatusLine = std::function<void(const std::string&)>;

  CAdminPage(ISheetHost& host, StatusLine statusLine, QWidget* parent = nullptr);

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
  CEcrContext* ChosenEcr() const;
  QString Message(const char* number) const;
  void ShowStatus(const char* number);
  // Stores the chosen register back as the selected one and starts the job on it.
  void StartJob(CEcrContext& ecr, std::int32_t jobCode, const BeforeResume& beforeResume = {});

  // The department rule of the star family: above 12 shows message "3", selects 12 and refuses.
  bool DepartmentAllowed(QComboBox& departments, const CEcrContext& ecr);

  // The selector in a frame with this caption.
  QGroupBox* MakeEcrFrame(const QString& caption);

 private:
  void FillEcrSelector();

  ISheetHost& m_Host;
  StatusLine m_StatusLine;
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
