#pragma once
// Which fiscal control the driver hosts, and the base directory that comes with it: the folder of the
// control module registered in the store under the control's class id; without a registered module,
// the embedded register emulator and the current directory (an empty base directory).

#include <memory>
#include <string>

#include "driver/control/fiscal_control.h"

namespace platform {
class Store;
}

namespace driver {

struct CControlChoice {
  std::string m_BaseDirectory;             // empty or ending with '/'
  std::shared_ptr<void> m_Owner;           // keeps the control alive
  IFiscalControl* m_Control = nullptr;     // never null: an unavailable control stands in
};

CControlChoice ChooseFiscalControl(const platform::Store& store);

// A control that fails every call, for a registered module that cannot be loaded.
CControlChoice UnavailableControl(std::string baseDirectory);

}  // namespace driver
