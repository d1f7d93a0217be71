#pragma once
// The control's contract declared to Qt's plug-in system, for the two sides of loading a control
// module: the module's object names the interface it serves, the loader asks for it with qobject_cast.

#include <QtPlugin>

#include "control_api/fiscal_control.h"

#define QOR_FISCAL_CONTROL_IID "org.qor.IFiscalControl/1.0"
Q_DECLARE_INTERFACE(control_api::IFiscalControl, QOR_FISCAL_CONTROL_IID)
