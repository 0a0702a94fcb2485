// Windows: files and directories made relative to an open directory handle (fs_win32.cpp), for
// the directory objects of the backend and the run mark.
#pragma once

#include "base/lstring.h"
#include "platform/fs.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

// The handle that a directory opened by this backend holds; null where it holds none (the
// Windows 9x family) and for a Directory of any other kind (a test's file system).
HANDLE directoryHandle(const Directory& directory);

// Creates or opens the entry `name` (one component, in the system's code page) of the directory
// held by `directory` with NtCreateFile, the directory handle as its root: `access`, `share`
// as for CreateFileA, `disposition` and `options` the FILE_* values of NtCreateFile. The name is
// never looked up through the path of the directory. ErrorKind::Other where the system has no
// NtCreateFile (the Windows 9x family); otherwise the system's error for the status it returned.
SysStatus createAt(HANDLE directory, const LString& name, DWORD access, DWORD share,
                   ULONG disposition, ULONG options, FileHandle& created);

}  // namespace wiz
