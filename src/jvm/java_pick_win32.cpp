// Windows: the system's file-open dialog, for an existing .exe file.
#include "jvm/java_pick.h"
#include "platform/win32.h"
// commdlg.h needs the declarations of windows.h first.
#include <commdlg.h>

namespace wiz {

const char* const kPickedJavaProgram = "bin\\java.exe";
const char* const kPickedClasspathSeparator = ";";

bool askForJavaProgram(LString& path) {
    char file[MAX_PATH] = {};
    OPENFILENAMEA dialog = {};
    // The size that every system since the 9x family accepts.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    // The filter list: one pattern, ended by the empty string.
    dialog.lpstrFilter = "*.exe\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&dialog)) return false;
    path = file;
    return true;
}

}  // namespace wiz
