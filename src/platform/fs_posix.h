// POSIX details of the file-system layer that are pure text processing, kept apart so that they
// can be tested on their own.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// Appends the mount points of /proc/self/mounts text (one mount per line: device, mount point,
// type, options...) that are worth searching for programs, in table order, each once.
//
// The rule: a mount point is kept unless its type is a pseudo or memory file system (proc,
// sysfs, tmpfs, devtmpfs, cgroup, ... see kPseudoFileSystems), a read-only image or optical
// medium (squashfs, iso9660, udf: the counterpart of a CD drive, which is not a fixed drive), or
// it lies below /proc, /sys, /dev or /run, the kernel's and the system's runtime trees. Local
// disk file systems and network file systems (nfs, cifs, ...) stay; so does the root of a
// container (overlay). Octal escapes of the table ("\040" for a blank) are decoded.
void parseMountTable(const LString& text, StringList& mountPoints);

}  // namespace wiz
