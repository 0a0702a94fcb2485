// The system-library loader takes DLLs from the system directory only, both with the search flag
// and by full path (the way of systems without the flag), and leaves the manifest's redirection
// of Common Controls to version 6 in force.
#include <gtest/gtest.h>

#include <string>

#include "base/chars.h"
#include "platform/system_library.h"
#include "platform/win32.h"
// delayimp.h needs the declarations of windows.h first.
#include <delayimp.h>

using namespace wiz;

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = lowerAscii(c);
    return text;
}

std::string directoryOf(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string file(path, length);
    return lower(file.substr(0, file.find_last_of('\\')));
}

std::string systemDirectory() {
    char path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    return lower(std::string(path, length));
}

struct Loader {
    const char* what;
    void* (*load)(const char*);
};

const Loader kLoaders[] = {
    {"loadSystemLibrary", loadSystemLibrary},
    {"loadSystemLibraryByPath", loadSystemLibraryByPath},
};

}  // namespace

TEST(SystemLibrary, LoadsFromTheSystemDirectory) {
    for (const Loader& loader : kLoaders) {
        for (const char* name : {"comdlg32.dll", "SHELL32.dll", "ole32.dll"}) {
            auto* module = static_cast<HMODULE>(loader.load(name));
            ASSERT_NE(module, nullptr) << loader.what << " " << name;
            EXPECT_EQ(directoryOf(module), systemDirectory()) << loader.what << " " << name;
            FreeLibrary(module);
        }
    }
}

// The marker DLL of the DLL search tests is built beside this program: the usual search finds
// it there, the loader must not.
TEST(SystemLibrary, IgnoresADllBesideTheProgram) {
    HMODULE found = LoadLibraryExA("dllmarker.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(found, nullptr) << "the fixture dllmarker.dll is not beside the test program";
    FreeLibrary(found);
    for (const Loader& loader : kLoaders) {
        EXPECT_EQ(loader.load("dllmarker.dll"), nullptr) << loader.what;
    }
}

// MinGW's delay-load helper asks the hook before it loads a DLL, and loads nothing itself when
// the hook gives it the module.
TEST(SystemLibrary, DelayLoadHookLoadsThroughTheLoader) {
    ASSERT_NE(__pfnDliNotifyHook2, nullptr);
    DelayLoadInfo info = {};
    info.cb = sizeof info;
    info.szDll = "comdlg32.dll";
    auto* module = reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(directoryOf(module), systemDirectory());
    FreeLibrary(module);
    EXPECT_EQ(__pfnDliNotifyHook2(dliNoteStartProcessing, &info), nullptr)
        << "the other notifications are the helper's";
    info.szDll = "dllmarker.dll";
    EXPECT_EQ(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info), nullptr);
}

// The search flag keeps the activation context's redirection (a full path would not): the
// manifest asks for Common Controls 6, which comes from its side-by-side assembly instead of the
// system directory.
TEST(SystemLibrary, CommonControlsComeFromTheVersionSixAssembly) {
    auto* module = static_cast<HMODULE>(loadSystemLibrary("comctl32.dll"));
    ASSERT_NE(module, nullptr);
    const std::string directory = directoryOf(module);
    EXPECT_NE(directory.find("microsoft.windows.common-controls_"), std::string::npos) << directory;
    EXPECT_NE(directory.find("_6.0."), std::string::npos) << directory;
    FreeLibrary(module);
}
