#pragma once
// The administration sheet's view of the driver: its registers, selected register, job host,
// catalogue and font.

#include "driver/admin/sheet_host.h"
#include "driver/admin/sheet_memory.h"
#include "driver/qor_driver_dlg.h"

namespace driver {

class CDriverSheetHost final : public ISheetHost {
 public:
  explicit CDriverSheetHost(CQorDriverDlg& driver) : m_Driver(driver) {}

  std::vector<CEcrContext*> Registers() override;
  int SelectedRegister() const override { return m_Driver.SelectedRegister(); }
  void SetSelectedRegister(int index) override { m_Driver.SetSelectedRegister(index); }
  IJobHost& JobHost() override { return m_Driver.Jobs(); }
  std::string MessageText(const char* number) const override;
  CSheetFont PageFont() const override { return {m_Driver.FontFace(), m_Driver.FontHeight()}; }
  CSheetValues& SheetValues(std::int32_t ecr) override { return m_Driver.SheetMemory().Of(ecr); }

 private:
  CQorDriverDlg& m_Driver;
};

}  // namespace driver
