// A temporary directory whose access list lets other users delete or rename what the launcher
// makes there is not used (Windows access lists): the decision on access lists built in memory
// with the system's own functions, and on real directories where the system keeps their lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fs_test_support.h"
#include "platform/fs.h"
#include "platform/fs_win32.h"
#include "services/log.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"

// Needs the declarations of windows.h first.
#include <aclapi.h>
#include <sddl.h>

namespace {

namespace fs = std::filesystem;
using wiz::LString;
using wiztest::lstr;

struct LocalFreeDeleter {
    void operator()(void* p) const { LocalFree(p); }
};
using SidHolder = std::unique_ptr<void, LocalFreeDeleter>;

SidHolder sid(const char* text) {
    PSID made = nullptr;
    EXPECT_TRUE(ConvertStringSidToSidA(text, &made)) << text;
    return SidHolder(made);
}

const char kUser[] = "S-1-5-21-1000-2000-3000-1001";
const char kOtherUser[] = "S-1-5-21-1000-2000-3000-1002";
const char kEveryone[] = "S-1-1-0";
const char kAuthenticatedUsers[] = "S-1-5-11";
const char kUsers[] = "S-1-5-32-545";
const char kSystem[] = "S-1-5-18";
const char kAdministrators[] = "S-1-5-32-544";
const char kCreatorOwner[] = "S-1-3-0";

struct Entry {
    const char* sid;
    DWORD mask;
    BYTE flags;  // inheritance
};

// An access list with the usual private entries (this user, the system and the administrators
// with full access), then `extra`.
std::vector<BYTE> accessList(const std::vector<Entry>& extra) {
    std::vector<Entry> entries = {{kUser, FILE_ALL_ACCESS, 0},
                                  {kSystem, FILE_ALL_ACCESS, 0},
                                  {kAdministrators, FILE_ALL_ACCESS, 0}};
    entries.insert(entries.end(), extra.begin(), extra.end());
    std::vector<BYTE> buffer(1024);
    PACL acl = reinterpret_cast<PACL>(buffer.data());
    EXPECT_TRUE(InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION));
    for (const Entry& e : entries) {
        SidHolder s = sid(e.sid);
        EXPECT_TRUE(AddAccessAllowedAceEx(acl, ACL_REVISION, e.flags, e.mask, s.get())) << e.sid;
    }
    return buffer;
}

constexpr BYTE kInheritOnly = INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

TEST(TempRootWin32, AccessListsThatLetOthersReplaceEntries) {
    struct Case {
        const char* owner;
        std::vector<Entry> extra;
        std::string why;
    } cases[] = {
        // Private: only this user, the system and the administrators.
        {kUser, {}, ""},
        {kAdministrators, {}, ""},
        // Like the system's own temporary folder: every user may add entries, only their
        // creator (the owner of each) may change them.
        {kUser,
         {{kUsers, FILE_GENERIC_READ | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, 0},
          {kCreatorOwner, GENERIC_ALL, kInheritOnly}},
         ""},
        {kUser, {{kEveryone, FILE_GENERIC_READ | FILE_GENERIC_WRITE, 0}}, ""},
        {kUser,
         {{kEveryone, DELETE, 0}},
         "its access list lets Everyone delete or rename what is in it"},
        {kUser,
         {{kAuthenticatedUsers, FILE_DELETE_CHILD, 0}},
         "its access list lets Authenticated Users delete or rename what is in it"},
        {kUser,
         {{kUsers, WRITE_DAC, 0}},
         "its access list lets Users delete or rename what is in it"},
        {kUser,
         {{kUsers, WRITE_OWNER, 0}},
         "its access list lets Users delete or rename what is in it"},
        // Only for what is made in it.
        {kUser,
         {{kEveryone, GENERIC_ALL, kInheritOnly}},
         "its access list lets Everyone delete or rename what is in it"},
        {kOtherUser, {}, "it belongs to another user"},
    };
    SidHolder user = sid(kUser);
    for (const Case& c : cases) {
        std::vector<BYTE> acl = accessList(c.extra);
        SidHolder owner = sid(c.owner);
        EXPECT_EQ(wiz::othersWhoMayReplaceEntries(owner.get(), reinterpret_cast<PACL>(acl.data()),
                                                  user.get())
                      .str(),
                  c.why)
            << c.owner << " with " << c.extra.size() << " more entries";
    }
    // No access list at all lets everybody do anything.
    SidHolder owner = sid(kUser);
    EXPECT_EQ(wiz::othersWhoMayReplaceEntries(owner.get(), nullptr, user.get()).str(),
              "it has no access list, which lets everybody change what is in it");
}

// Gives the directory an access list of its own, not inherited from its parent: full access for
// this process's user, and `everyoneMask` for Everyone when it is not 0; false when the system
// does not keep it.
bool setAccessList(const fs::path& directory, DWORD everyoneMask) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    DWORD size = 0;
    GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> token(size);
    const bool got = GetTokenInformation(raw, TokenUser, token.data(), size, &size);
    CloseHandle(raw);
    if (!got) return false;
    PSID user = reinterpret_cast<TOKEN_USER*>(token.data())->User.Sid;
    std::vector<BYTE> buffer(1024);
    PACL acl = reinterpret_cast<PACL>(buffer.data());
    InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION);
    AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                          FILE_ALL_ACCESS, user);
    SidHolder everyone = sid(kEveryone);
    if (everyoneMask != 0) {
        AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                              everyoneMask, everyone.get());
    }
    std::string path = directory.string();
    if (SetNamedSecurityInfoA(&path[0], SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // Read back: the list must be the one set.
    PACL read = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &read, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool kept = read && read->AceCount == (everyoneMask != 0 ? 2 : 1);
    LocalFree(descriptor);
    return kept;
}

TEST(TempRootWin32, DirectoryOthersCanChangeIsNotUsed) {
    // The system's own temporary folder is always fit to use.
    LString why;
    EXPECT_FALSE(wiz::othersMayReplaceEntries(wiz::systemTempPath(), why)) << why.str();

    wiztest::FsStateGuard state;
    wiztest::TempDir temp;
    const fs::path shared = temp.path() / "shared";
    fs::create_directory(shared);
    if (!setAccessList(shared, DELETE | FILE_DELETE_CHILD | FILE_GENERIC_READ)) {
        GTEST_SKIP() << "this system keeps no access list of its own for the directory";
    }
    const std::string log = temp.file("launcher.log");
    wiz::logState().filePath = LString(log);
    wiz::setTempDirectory(lstr(shared));
    const LString dir = wiz::createTempDirectory();
    // The system's temporary folder instead, and the log says why.
    EXPECT_EQ(wiz::tempFiles().directory, wiz::fullPath(wiz::systemTempPath()));
    EXPECT_TRUE(fs::is_empty(shared));
    std::ifstream in(log);
    std::string line;
    bool logged = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        logged |= line == "WARNING: Not using " + wiz::fullPath(lstr(shared)).str() +
                              " as the temp directory: other users can replace what the launcher "
                              "puts there (its access list lets Everyone delete or rename what is "
                              "in it). Using " +
                              wiz::tempFiles().directory.str() + " instead.";
    }
    EXPECT_TRUE(logged);
    wiz::removeTemporaryFiles();
    EXPECT_FALSE(fs::exists(dir.str()));

    // A private list: it is used.
    ASSERT_TRUE(setAccessList(shared, 0));
    wiz::setTempDirectory(lstr(shared));
    const LString inside = wiz::createTempDirectory();
    EXPECT_EQ(inside.substr(0, shared.string().length()).str(), shared.string());
    wiz::removeTemporaryFiles();
}

}  // namespace
