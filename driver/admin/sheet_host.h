#pragma once
// What the administration sheet needs of the driver: the registers, the register chosen last on any
// page, a way to start jobs, the catalogue texts and the fonts. The driver gives it; tests give one
// over the register emulator, so the sheet runs without the whole driver.

#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"

namespace driver {

struct CSheetValues;

struct CSheetFont {
  std::string m_Face = "Times New Roman";
  int m_Height = 10;
};

class ISheetHost {
 public:
  virtual ~ISheetHost() = default;

  // The registers in the order the control reported them.
  virtual std::vector<CEcrContext*> Registers() = 0;
  // Index into Registers() preselected on every page; pages store their choice back when they send.
  virtual int SelectedRegister() const = 0;
  virtual void SetSelectedRegister(int index) = 0;
  // Jobs of the sheet run through the driver as ticket jobs do.
  virtual IJobHost& JobHost() = 0;
  // A catalogue text by number ("!?!" when absent).
  virtual std::string MessageText(const char* number) const = 0;
  // The pages' font; the status line uses the same face, larger.
  virtual CSheetFont PageFont() const = 0;
  // What the sheet remembers of a register (sheet_memory.h); it outlives the sheet.
  virtual CSheetValues& SheetValues(std::int32_t ecr) = 0;
};

}  // namespace driver
