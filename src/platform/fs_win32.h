// The part of the Windows file-system backend that works on the system's own types: the decision
// whether a directory's security lets other users replace what is made in it, apart from the
// calls that read that security, so that it can be checked on access lists built in memory.
#pragma once

#include "base/lstring.h"
#include "platform/win32.h"

namespace wiz {

// Why users other than `user` (and the system and the administrators) may delete or rename the
// entries made in a directory whose owner is `owner` and whose access list is `dacl`; empty when
// they may not. `dacl` null: the directory has no access list, which lets everybody do anything.
// An owner other than `user`, the system or the administrators counts (it may change the access
// list), unless `owner` or `user` is null. Allow entries for Everyone, Authenticated Users and
// Users count when they grant DELETE, FILE_DELETE_CHILD, WRITE_DAC, WRITE_OWNER or GENERIC_ALL,
// on the directory itself or only on what is made in it (inherit-only); deny entries are not
// weighed against them.
LString othersWhoMayReplaceEntries(PSID owner, PACL dacl, PSID user);

}  // namespace wiz
