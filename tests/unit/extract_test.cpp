// Copying embedded files out of the launcher file, and the extract action.
#include "archive/extract.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/launcher_format.h"
#include "base/exceptions.h"
#include "core/file_index.h"
#include "fs_test_support.h"
#include "platform/file.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/settings.h"
#include "support/process_state.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using wiz::EmbeddedFileEntry;
using wiz::LString;
using wiztest::lstr;

const std::string kNoSpaceHint =
    " There may not be enough temporary disk space. Try using -cv:tempdir to use a temporary "
    "directory on a partition with more disk space.";

std::string pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

std::string messageOf(const EmbeddedFileEntry& entry, const LString& dir) {
    try {
        entry.extractTo(dir);
    } catch (const wiz::LauncherException& e) {
        return e.message().str();
    }
    return "(no exception)";
}

// A launcher file made of an image, the payload at offset 100, and nothing else; entries are
// made by hand.
class ExtractTest : public ::testing::Test {
protected:
    ExtractTest() {
        payload = pattern(wiz::kExtractBlockSize + 2 * wiz::kExtractStepSize + 1);
        wiz::runSettings().launcherPath =
            LString(launcherDir.write("launcher.exe", std::string(100, 'M') + payload));
        fs::create_directory(out());
    }

    EmbeddedFileEntry entry(const char* name, uint32_t length, uint32_t offset = 100) {
        EmbeddedFileEntry e;
        e.type = wiz::kEntryApplicationArchive;
        e.name = name;
        e.length = length;
        e.offset = offset;
        return e;
    }
    fs::path out() const { return launcherDir.path() / "out"; }
    std::string outFile(const char* name) const { return (out() / name).string(); }

    wiztest::FsStateGuard state;
    wiztest::TempDir launcherDir;
    std::string payload;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scopedHost{host};
};

TEST_F(ExtractTest, CopiesTheBytesWithOneProgressStepPerStartedPiece) {
    // Blocks are copied whole, but the progress moves by one step per 61439 bytes begun; the
    // piece that the first block boundary cuts in two counts once.
    constexpr uint32_t step = wiz::kExtractStepSize;
    constexpr uint32_t block = wiz::kExtractBlockSize;
    static_assert(17 * step < block && block < 18 * step, "the 18th piece spans two blocks");
    struct Case {
        uint32_t length;
        size_t steps;
    } cases[] = {
        {0, 0},
        {1, 1},
        {step, 1},
        {2 * step + 1, 3},
        {block, 18},
        {18 * step, 18},
        {block + 2 * step + 1, 20},
    };
    for (const auto& c : cases) {
        host.calls.clear();
        EmbeddedFileEntry e = entry("app.jar", c.length);
        const std::string expectedPath = out().string() + wiz::kPathSeparator + "app.jar";
        EXPECT_EQ(e.extractTo(lstr(out())).str(), expectedPath);
        EXPECT_TRUE(wiztest::TempDir::read(expectedPath) == payload.substr(0, c.length))
            << c.length;
        EXPECT_EQ(host.calls, std::vector<std::string>(c.steps, "step:1")) << c.length;
    }
}

TEST_F(ExtractTest, DirectoryWithTrailingSeparatorOrNoneAtAll) {
    LString withSeparator = lstr(out()) + wiz::pathSeparator();
    EXPECT_EQ(entry("a.bin", 10).extractTo(withSeparator), withSeparator + "a.bin");
    {
        wiztest::CurrentDirectoryGuard cwd(out());
        EXPECT_EQ(entry("b.bin", 10, 110).extractTo(LString()), LString("b.bin"));
    }
    EXPECT_EQ(wiztest::TempDir::read(outFile("a.bin")), payload.substr(0, 10));
    EXPECT_EQ(wiztest::TempDir::read(outFile("b.bin")), payload.substr(10, 10));
}

TEST_F(ExtractTest, ExistingFileIsOverwritten) {
    launcherDir.write("out/app.jar", std::string(5000, 'x'));
    entry("app.jar", 3).extractTo(lstr(out()));
    EXPECT_EQ(wiztest::TempDir::read(outFile("app.jar")), payload.substr(0, 3));
}

TEST_F(ExtractTest, CancelBeforeTheCopyLeavesAnEmptyFile) {
    wiz::hostState().cancelRequested = true;
    EXPECT_EQ(messageOf(entry("app.jar", 1000), lstr(out())), "Canceled by the user.");
    EXPECT_TRUE(fs::exists(outFile("app.jar")));
    EXPECT_EQ(fs::file_size(outFile("app.jar")), 0u);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ExtractTest, CompressedEntryNeedsRoomForItsUnpackedFilesButIsWrittenUnchanged) {
    EmbeddedFileEntry small = entry("packed.bin", 50);
    small.compressed = true;
    small.decompressedCount = 3;
    small.decompressedSize = 1000;
    small.extractTo(lstr(out()));
    EXPECT_EQ(wiztest::TempDir::read(outFile("packed.bin")), payload.substr(0, 50));

    // Four billion unpacked files fit on no disk: refused before anything is written, with no
    // error number between the two texts.
    EmbeddedFileEntry huge = entry("huge.bin", 50);
    huge.compressed = true;
    huge.decompressedCount = 0xFFFFFFF0u;
    huge.decompressedSize = 0xFFFFFFF0u;
    EXPECT_EQ(messageOf(huge, lstr(out())), "Error writing file = " + kNoSpaceHint);
    EXPECT_FALSE(fs::exists(outFile("huge.bin")));
}

TEST_F(ExtractTest, DestinationThatCannotBeCreatedReportsTheErrorNumber) {
    fs::create_directory(out() / "app.jar");  // a directory where the file should go
    errno = 0;
    std::FILE* f = std::fopen(outFile("app.jar").c_str(), "wb");
    ASSERT_EQ(f, nullptr);
    const int error = errno;
    EXPECT_EQ(messageOf(entry("app.jar", 10), lstr(out())),
              "Error writing file = " + std::to_string(error) + kNoSpaceHint);
}

TEST_F(ExtractTest, ShortLauncherFileIsAnError) {
    const uint32_t total = static_cast<uint32_t>(100 + payload.size());
    EXPECT_EQ(messageOf(entry("cut.bin", 500, total - 100), lstr(out())),
              "Cannot read the embedded file cut.bin from the launcher file.");
    EXPECT_EQ(wiztest::TempDir::read(outFile("cut.bin")), payload.substr(payload.size() - 100));
    EXPECT_EQ(messageOf(entry("beyond.bin", 10, total + 50), lstr(out())),
              "Cannot read the embedded file beyond.bin from the launcher file.");
}

TEST_F(ExtractTest, MissingLauncherFile) {
    wiz::runSettings().launcherPath = lstr(launcherDir.path() / "gone.exe");
    EXPECT_EQ(messageOf(entry("a.bin", 10), lstr(out())), "Cannot open launcher file.");
    EXPECT_FALSE(fs::exists(outFile("a.bin")));
}

TEST_F(ExtractTest, ADeviceIsNoDestination) {
    // The system's always-full device (under Wine through the drive that maps the Unix root) is
    // refused before anything is written, whatever the length. (A write that fails partway, as
    // on a full disk, is covered where the system can make one fail.)
    const LString devices = wiz::kPathSeparator == '/' ? "/dev" : "Z:\\dev";
    const std::string device = devices.str() + wiz::kPathSeparator + "full";
    wiz::FilePtr probe = wiz::openFile(LString(device), "rb");
    if (!probe) GTEST_SKIP() << "no " << device << " on this system";
    probe.reset();
    for (uint32_t length : {10u, 2 * wiz::kExtractStepSize, wiz::kExtractBlockSize + 1}) {
        EXPECT_EQ(messageOf(entry("full", length), devices),
                  "Cannot write " + device +
                      ": it is a link, a file with other names or no plain file, and nothing is "
                      "written through a link or into a special file.")
            << length;
    }
}

TEST_F(ExtractTest, HostileNamesAreRefusedAndNothingIsWritten) {
    const char* names[] = {
        "",
        ".",
        "..",
        "...",
        ". .",
        "../evil.txt",
        "..\\evil.txt",
        "sub/evil.txt",
        "sub\\evil.txt",
        "/abs.txt",
        "\\abs.txt",
        "C:evil.txt",
        "C:\\evil.txt",
        "\\\\server\\share\\x",
        "evil.txt:stream",
        "CON",
        "con.txt",
        "NUL",
        "nul.tar.gz",
        "AUX",
        "PRN .txt",
        "COM1",
        "com9.log",
        "LPT1",
        "lpt5.txt",
        "CONIN$",
        "a\nb",
        "tab\there",
    };
    fs::create_directories(out() / "sub");
    // The message shows control characters escaped.
    const auto shown = [](std::string name) {
        for (size_t at; (at = name.find_first_of("\n\t")) != std::string::npos;) {
            name.replace(at, 1, name[at] == '\n' ? "\\n" : "\\t");
        }
        return name;
    };
    for (const char* name : names) {
        EXPECT_FALSE(wiz::isSafeEntryName(name)) << name;
        EXPECT_EQ(messageOf(entry(name, 10), lstr(out() / "sub")),
                  "The embedded file name \"" + shown(name) +
                      "\" is not a plain file name; nothing was written.")
            << name;
    }
    std::vector<std::string> written;
    for (auto& e : fs::recursive_directory_iterator(launcherDir.path())) {
        written.push_back(e.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"launcher.exe", "out", "sub"}));
    for (const char* name : {"java.exe", "a..b", "..hidden", "CONFIG.SYS", "COM10", "LPT0",
                             "console.jar", "nul_", "setup 1.exe"}) {
        EXPECT_TRUE(wiz::isSafeEntryName(name)) << name;
    }
}

// The extract action over a launcher file made with the index writer.
class ExtractAllTest : public ::testing::Test {
protected:
    struct Item {
        int32_t type;
        const char* name;
        std::string bytes;
    };

    void makeLauncher(const std::vector<Item>& items) {
        std::string file = "MZ image";
        std::vector<wiz::EntryRecord> records;
        for (const Item& item : items) {
            wiz::EntryRecord r;
            r.type = item.type;
            r.id = static_cast<uint32_t>(records.size() + 1);
            r.length = static_cast<uint32_t>(item.bytes.size());
            r.offset = static_cast<uint32_t>(file.size());
            r.name = item.name;
            records.push_back(r);
            file += item.bytes;
        }
        const uint32_t indexOffset = static_cast<uint32_t>(file.size());
        wiz::appendUInt32BE(file, static_cast<uint32_t>(records.size()));
        for (const auto& r : records) wiz::appendEntryRecord(file, r);
        wiz::appendTrailer(file, 0, indexOffset);
        wiz::runSettings().launcherPath = LString(dir.write("launcher.exe", file));
        wiztest::resetFileIndex();
        wiz::fileIndex().load(false);
    }

    std::string inputTag() const {
        std::string text = wiztest::TempDir::read(dir.file("work/input.tag"));
        std::string lf;
        for (char c : text) {
            if (c != '\r') lf += c;
        }
        return lf;
    }

    ExtractAllTest() { fs::create_directory(dir.path() / "work"); }
    ~ExtractAllTest() override { wiztest::resetFileIndex(); }

    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scopedHost{host};
};

TEST_F(ExtractAllTest, WritesEveryEntryAndAnInputDocumentNamingTheDocuments) {
    makeLauncher({{wiz::kEntryInstructions, "script.txt", "INSTRUCTIONS:\n  INITIALIZE_UI\n/:\n"},
                  {wiz::kEntryJvmDescriptor, "a.jvm", "JVM_EXE:  bin\\java.exe\n"},
                  {wiz::kEntryApplicationArchive, "app.jar", pattern(70000)},
                  {wiz::kEntryJvmDescriptor, "b.jvm", "JVM_EXE:  bin\\javaw.exe\n"},
                  {wiz::kEntryLaunchScript, "launch.txt", "COMMAND:  java\n"},
                  {wiz::kEntryVerificationArchive, "Verify.jar", ""}});
    {
        wiztest::CurrentDirectoryGuard cwd(dir.path() / "work");
        wiz::extractAll();
    }
    EXPECT_EQ(wiztest::TempDir::read(dir.file("work/script.txt")),
              "INSTRUCTIONS:\n  INITIALIZE_UI\n/:\n");
    EXPECT_EQ(wiztest::TempDir::read(dir.file("work/app.jar")), pattern(70000));
    EXPECT_EQ(wiztest::TempDir::read(dir.file("work/b.jvm")), "JVM_EXE:  bin\\javaw.exe\n");
    EXPECT_TRUE(fs::exists(dir.file("work/Verify.jar")));
    EXPECT_EQ(inputTag(),
              "ACTION:  RUN_INSTRUCTIONS\n"
              "INSTRUCTIONS:  script.txt\n"
              "JVM:\n  a.jvm\n  b.jvm\n/:\n"
              "LAUNCHSCRIPT:  launch.txt\n");
}

TEST_F(ExtractAllTest, OneDescriptorIsASingleValueAndTheLastScriptIsNamed) {
    makeLauncher({{wiz::kEntryInstructions, "first.txt", "x"},
                  {wiz::kEntryJvmDescriptor, "only.jvm", "y"},
                  {wiz::kEntryInstructions, "second.txt", "z"}});
    {
        wiztest::CurrentDirectoryGuard cwd(dir.path() / "work");
        wiz::extractAll();
    }
    EXPECT_EQ(inputTag(),
              "ACTION:  RUN_INSTRUCTIONS\n"
              "INSTRUCTIONS:  second.txt\n"
              "JVM:  only.jvm\n");
}

TEST_F(ExtractAllTest, AHostileEntryStopsTheActionBeforeAnythingIsWritten) {
    makeLauncher({{wiz::kEntryApplicationArchive, "ok.jar", "ok"},
                  {wiz::kEntryApplicationArchive, "../escape.jar", "bad"}});
    wiztest::CurrentDirectoryGuard cwd(dir.path() / "work");
    EXPECT_THROW(wiz::extractAll(), wiz::LauncherException);
    EXPECT_FALSE(fs::exists(dir.file("work/ok.jar")));
    EXPECT_FALSE(fs::exists(dir.file("escape.jar")));
    EXPECT_FALSE(fs::exists(dir.file("work/input.tag")));
}

TEST_F(ExtractAllTest, ADestinationThatIsALinkIsNeverWrittenThrough) {
    // What another user may have left in the working directory under a name the action writes.
    std::ofstream(dir.file("victim.txt")) << "keep me";
    std::error_code ec;
    fs::create_symlink(dir.path() / "victim.txt", dir.path() / "work" / "probe", ec);
    if (ec) GTEST_SKIP() << "no links on this system";
    fs::remove(dir.path() / "work" / "probe");
    struct Case {
        std::string linked;  // the destination made a link to victim.txt
    } cases[] = {{"app.jar"}, {"input.tag"}};
    for (const Case& c : cases) {
        makeLauncher({{wiz::kEntryApplicationArchive, "first.jar", "1"},
                      {wiz::kEntryApplicationArchive, "app.jar", "payload"}});
        fs::create_symlink(dir.path() / "victim.txt", dir.path() / "work" / c.linked);
        {
            wiztest::CurrentDirectoryGuard cwd(dir.path() / "work");
            try {
                wiz::extractAll();
                ADD_FAILURE() << "no refusal for " << c.linked;
            } catch (const wiz::LauncherException& e) {
                EXPECT_EQ(e.message().str(), "Cannot write " + c.linked +
                                                 ": it is a link, a file with other names or "
                                                 "no plain file, and nothing is written through "
                                                 "a link or into a special file.");
            }
        }
        EXPECT_EQ(wiztest::TempDir::read(dir.file("victim.txt")), "keep me") << c.linked;
        EXPECT_FALSE(fs::exists(dir.file("work/first.jar"))) << "written before the refusal";
        fs::remove(dir.path() / "work" / c.linked);
    }
}

TEST_F(ExtractTest, ADestinationThatIsALinkIsRefusedAndADirectoryIsAnError) {
    std::ofstream(launcherDir.file("victim.txt")) << "keep me";
    std::error_code ec;
    fs::create_symlink(launcherDir.file("victim.txt"), out() / "linked.jar", ec);
    if (ec) GTEST_SKIP() << "no links on this system";
    EXPECT_EQ(messageOf(entry("linked.jar", 10), lstr(out())),
              "Cannot write " + outFile("linked.jar") +
                  ": it is a link, a file with other names or no plain file, and nothing is "
                  "written through a link or into a special file.");
    EXPECT_EQ(wiztest::TempDir::read(launcherDir.file("victim.txt")), "keep me");
    // A plain file of that name is overwritten (as before); a directory cannot be.
    std::ofstream(outFile("plain.jar")) << "old";
    EXPECT_EQ(messageOf(entry("plain.jar", 5), lstr(out())), "(no exception)");
    EXPECT_EQ(wiztest::TempDir::read(outFile("plain.jar")), payload.substr(0, 5));
}

}  // namespace
