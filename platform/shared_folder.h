#pragma once
// Ticket folders shared with the tills' accounts through a group: the driver and the point-of-sale
// software often run under different accounts, and a till must be able to drop tickets and read and
// remove its replies.

#include <optional>
#include <string>

#include "platform/system_error.h"

namespace platform {

// The group's number, from its name or its number; nothing when the system has no such group.
std::optional<unsigned> GroupNamed(const std::string& name);

// Makes the folder the group's, group-writable and set-group-ID, so that what is made in it belongs to
// the group too; others have no access.
SystemError ShareFolderWithGroup(const std::string& folder, unsigned group);

// What this process makes from now on is readable and writable by its group (umask 007).
void LetGroupUseNewFiles();

// True when the process runs with the rights of the superuser.
bool RunsAsRoot();

}  // namespace platform
