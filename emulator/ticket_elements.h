#pragma once
// The command document elements a register takes through Write: receipts, tables, voids, copies.
// Each is checked against the register's state and either printed and applied, or refused with a
// job result (result_codes.h) and no change.
//
// Rules: OPEN_TICKET and OPEN_TABLE need the sales state (zero family: mode 1, star family: key R) and
// no receipt open; sales, voids, refunds, discounts and CLOSE_TICKET need an open receipt; a sale's
// department must be programmed and its amount within the department's LALO/HALO; a sale by PLU code
// alone takes the PLU's price and department. The keyboard lock keeps the operator out and is not
// required: the host may always print. DISCOUNT TYPE: 1 percent off, 2 amount added, 3 percent added,
// any other amount off; SBT "1" applies it to the subtotal, else to the last line. OPEN_TABLE with WAITER
// "0" (how the driver closes a table) parks the open table's balance; CLOSE_TICKET on a table pays it.
//
// The document's writer escapes "&", "<" and ">" in the texts a till makes up: the DESCRIPTION of
// SELLITEM, PASTVOID, REFUND and DISCOUNT, the MESSAGE of PRINTLINE and the PAYMENTDESCRIPTION of
// CLOSE_TICKET. Those are read as markup; every other child (codes, tables, programmed descriptions) is
// taken as it stands. TICKETCOPY reprints the last paid or voided receipt whole, header to receipt
// number; a table parked with WAITER "0" is no receipt to copy, but its lines are in the history like
// every line printed while a receipt is open.

#include <string>
#include <vector>

#include "emulator/register_state.h"

namespace emulator {

// Applies one element; printed receives the lines the register prints. Returns the job result.
int ExecuteElement(CRegister& ecr, const std::string& element, std::vector<std::string>& printed);

}  // namespace emulator
