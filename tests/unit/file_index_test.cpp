// The file index of the running launcher: reading the index and the embedded documents of packed
// launcher files, the input document's named files, lookups and the style byte.

#include "core/file_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/launcher_format.h"
#include "base/exceptions.h"
#include "launch/launch_script.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "services/host.h"
#include "services/log.h"
#include "services/settings.h"
#include "support/launcher_file.h"
#include "support/process_state.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

using wiz::EmbeddedFileEntry;
using wiz::fileIndex;
using wiz::LauncherException;
using wiztest::kStub;
using wiztest::packLauncher;
using wiztest::u16;
using wiztest::u32;

// The stub followed by hand-made index bytes and a trailer pointing at them.
std::string rawIndex(const std::string& indexBytes) {
    std::string body = kStub + indexBytes;
    wiz::appendTrailer(body, 0, static_cast<uint32_t>(kStub.size()));
    return body;
}

// A record head: type, id, length, offset and the name with its length.
std::string recordHead(uint8_t type, uint32_t id, const std::string& name) {
    return std::string(1, static_cast<char>(type)) + u32(id) + u32(0) + u32(0) +
           u16(static_cast<uint16_t>(name.size())) + name;
}

const char* const kScript = "INSTRUCTIONS:\nSET S1 = first\n/:\n";
const char* const kDescriptor = "DESC: Test JVM\nJVM_EXE: bin\\java.exe\n";
const char* const kLaunchScript = "DESC: Wizard\nCOMMAND: java -cp x Main\nARCHIVE: app.jar\n";

class FileIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        wiztest::resetFileIndex();
        wiz::runSettings().launcherPath = wiz::LString(dir.file("launcher.exe"));
        wiz::logState().filePath = wiz::LString(dir.file("launcher.log"));
        wiz::logState().separatorWritten = true;
        wiz::scriptVariables = wiz::ScriptVariables();
    }
    void TearDown() override {
        wiztest::resetFileIndex();
        wiz::runSettings().launcherPath = "";
        wiz::logState().filePath = "";
        wiz::scriptVariables = wiz::ScriptVariables();
    }

    void writeLauncher(const std::string& bytes) { dir.write("launcher.exe", bytes); }

    // The log without carriage returns (the log is a text file).
    std::string log() const {
        std::string text = wiztest::TempDir::read(dir.file("launcher.log"));
        std::string out;
        for (char c : text)
            if (c != '\r') out += c;
        return out;
    }

    std::string loadFailure(bool withDocuments) {
        try {
            fileIndex().load(withDocuments);
        } catch (const LauncherException& e) {
            return e.message().str();
        }
        return "no failure";
    }

    wiztest::TempDir dir;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scopedHost{host};
};

TEST_F(FileIndexTest, PackedLauncherIsReadBackWithOneLogEntryPerRecord) {
    writeLauncher(packLauncher({{0, 1, "setup.tag", kScript},
                                {6, 0x80000001u, "wizard.jar", "JAR", true, 3, 4096},
                                {3, 9, "", ""}}));
    fileIndex().load(false);

    ASSERT_EQ(fileIndex().count(), 3);
    EXPECT_TRUE(fileIndex().indexLoaded());
    const EmbeddedFileEntry* e = fileIndex().entryAt(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->type, 6);
    EXPECT_EQ(e->id, 0x80000001u);
    EXPECT_EQ(e->name.str(), "wizard.jar");
    EXPECT_EQ(e->offset, kStub.size() + std::string(kScript).size());
    EXPECT_EQ(e->length, 3u);
    EXPECT_TRUE(e->compressed);
    EXPECT_EQ(e->decompressedCount, 3u);
    EXPECT_EQ(e->decompressedSize, 4096u);
    EXPECT_FALSE(fileIndex().entryAt(2)->compressed);
    // Without documents nothing is read in place.
    EXPECT_EQ(fileIndex().entryAt(0)->document, nullptr);
    EXPECT_EQ(fileIndex().instructions(), nullptr);

    EXPECT_EQ(log(),
              "file type: 0\n  file id: 1\n  length: 32\n  offset: 13\n  file name: setup.tag\n"
              "file type: 6\n  file id: -2147483647\n  length: 3\n  offset: 45\n"
              "  file name: wizard.jar\n"
              "file type: 3\n  file id: 9\n  length: 0\n  offset: 48\n  file name: \n");
}

TEST_F(FileIndexTest, EmbeddedDocumentsBecomeScriptDescriptorsAndLaunchScript) {
    writeLauncher(packLauncher({{1, 11, "first.jvm", kDescriptor},
                                {0, 0, "setup.tag", kScript},
                                {5, 0, "verify.jar", "PK"},
                                {1, 12, "second.jvm", "DESC: Other\n"},
                                {2, 0, "launch.tag", kLaunchScript}}));
    fileIndex().load(true);

    ASSERT_NE(fileIndex().instructions(), nullptr);
    EXPECT_EQ(fileIndex().instructions()->execute(), 0);
    EXPECT_EQ(wiz::scriptVariables.string(1).str(), "first");

    wiz::JvmSearcher& searcher = fileIndex().jvmSearcher();
    ASSERT_EQ(searcher.descriptorCount(), 2);
    EXPECT_EQ(searcher.descriptorAt(0)->sourceName().str(), "first.jvm");
    EXPECT_EQ(searcher.descriptorAt(0)->document().getValue("JVM_EXE").str(), "bin\\java.exe");
    EXPECT_EQ(searcher.descriptorAt(1)->document().getValue("DESC").str(), "Other");
    EXPECT_EQ(&searcher.descriptorAt(1)->document(), fileIndex().entryAt(3)->document.get());

    const wiz::LaunchScript* script = fileIndex().launchScript();
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->commandTemplate.text().str(), "java -cp x Main");
    EXPECT_EQ(script->description.str(), "Wizard");
    EXPECT_EQ(script->archiveTemplate.str(), "app.jar");
    EXPECT_TRUE(script->captureOutput);
    EXPECT_TRUE(script->autoWorkingDir);
    EXPECT_FALSE(script->consoleOutput);
    // The window gets the standard title, not the script's description.
    EXPECT_EQ(host.calls, std::vector<std::string>{"title:Corvane Wizard"});

    EXPECT_EQ(fileIndex().entryAt(2)->document, nullptr);
    EXPECT_TRUE(fileIndex().jvmListFromInput());

    // Later loads do nothing.
    fileIndex().load(true);
    EXPECT_EQ(fileIndex().count(), 5);
    EXPECT_EQ(searcher.descriptorCount(), 2);
}

TEST_F(FileIndexTest, FileWithoutIdentificationGivesEmptyIndexSilently) {
    std::string bytes = kStub + "more bytes than a trailer";
    writeLauncher(bytes);
    fileIndex().load(true);
    EXPECT_TRUE(fileIndex().indexLoaded());
    EXPECT_EQ(fileIndex().count(), 0);
    EXPECT_EQ(fileIndex().entryAt(0), nullptr);
    EXPECT_EQ(fileIndex().findById(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(fileIndex().instructions(), nullptr);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(log(), "");
}

TEST_F(FileIndexTest, EmptyIndexWritesNoLogLines) {
    writeLauncher(packLauncher({}));
    fileIndex().load(true);
    EXPECT_EQ(fileIndex().count(), 0);
    EXPECT_EQ(log(), "");
}

struct CorruptCase {
    const char* what;
    std::string file;  // whole launcher file
    std::string message;
    int32_t entriesKept;
};

TEST_F(FileIndexTest, CorruptOrTruncatedIndexFailsWithItsMessage) {
    const std::string good = recordHead(3, 7, "a.jar") + '\0';
    const std::vector<CorruptCase> cases = {
        {"shorter than the trailer", "MZ\x01", "Invalid launcher format.", 0},
        {"index offset beyond the file",
         kStub + std::string(1, '\0') + u32(0x7FFFFF00u) + u32(wiz::kLauncherIdentification),
         "Invalid file index offset.", 0},
        {"index offset at or above 2^31",
         kStub + std::string(1, '\0') + u32(0x80000000u) + u32(wiz::kLauncherIdentification),
         "Invalid file index offset.", 0},
        {"count missing", rawIndex(std::string(2, '\x01')), "Unable to read the file count.", 0},
        {"type missing", rawIndex(u32(1)), "Invalid file type in file index.", 0},
        {"type 8", rawIndex(u32(2) + good + recordHead(8, 0, "x") + '\0'),
         "Invalid file type in file index.", 1},
        {"id cut", rawIndex(u32(1) + std::string("\x03\x00\x00", 3)), "Unable to load file id.", 0},
        {"length cut", rawIndex(u32(1) + '\x03' + u32(1) + std::string(1, '\0')),
         "Unable to load file length.", 0},
        {"offset cut", rawIndex(u32(1) + '\x03' + u32(1) + u32(2)),
         "Unable to load offset to file bytes.", 0},
        {"name length cut",
         rawIndex(u32(1) + '\x03' + u32(1) + u32(2) + u32(3) + std::string(1, '\0')),
         "Unable to load the string value.", 0},
        {"name cut short by the end of the index",
         rawIndex(u32(1) + '\x03' + u32(1) + u32(2) + u32(3) + u16(10) + "abc"),
         "Unable to load the string value.", 0},
        {"name length 32768",
         rawIndex(u32(1) + '\x03' + u32(1) + u32(2) + u32(3) + u16(0x8000) +
                  std::string(0x8000, 'n') + '\0'),
         "Unable to load the string value.", 0},
        {"name holding a line feed", rawIndex(u32(1) + recordHead(3, 1, "a\nb") + '\0'),
         "Unable to load the string value.", 0},
        {"decompressed count cut",
         rawIndex(u32(1) + recordHead(3, 1, "a") + '\x01' + std::string(2, '\0')),
         "Unable to load decompressed file count.", 0},
        {"decompressed size cut",
         rawIndex(u32(2) + good + recordHead(3, 1, "a") + '\x01' + u32(5) + std::string(1, '\0')),
         "Unable to load decompressed size.", 1},
        {"count far beyond the records", rawIndex(u32(0xFFFFFFFFu) + good),
         "Invalid file type in file index.", 1},
    };
    for (const CorruptCase& c : cases) {
        SCOPED_TRACE(c.what);
        wiztest::resetFileIndex();
        writeLauncher(c.file);
        // The reason, then what the user can do about it.
        const std::string message = c.message + " " + wiz::kDamagedLauncherText;
        EXPECT_EQ(loadFailure(false), message);
        EXPECT_FALSE(fileIndex().indexLoaded());
        EXPECT_EQ(fileIndex().count(), c.entriesKept);
        // A later load gives the same reason and reads nothing twice.
        EXPECT_EQ(loadFailure(true), message);
        EXPECT_EQ(fileIndex().count(), c.entriesKept);
    }
}

TEST_F(FileIndexTest, MissingLauncherFileCannotBeOpened) {
    EXPECT_EQ(loadFailure(true), "Cannot open launcher file.");
    EXPECT_FALSE(fileIndex().indexLoaded());
}

TEST_F(FileIndexTest, CompressedByteOtherThanOneMeansNotCompressed) {
    // Compressed byte 2 is followed directly by the next record, without decompressed fields.
    writeLauncher(rawIndex(u32(2) + recordHead(3, 1, "a.jar") + '\x02' + recordHead(6, 2, "b") +
                           '\x01' + u32(4) + u32(5)));
    fileIndex().load(false);
    ASSERT_EQ(fileIndex().count(), 2);
    EXPECT_FALSE(fileIndex().entryAt(0)->compressed);
    EXPECT_EQ(fileIndex().entryAt(0)->decompressedCount, 0u);
    EXPECT_EQ(fileIndex().entryAt(1)->type, 6);
    EXPECT_EQ(fileIndex().entryAt(1)->name, "b");
    EXPECT_EQ(fileIndex().entryAt(1)->decompressedSize, 5u);
}

TEST_F(FileIndexTest, SecondScriptIsReadButTheFirstWins) {
    writeLauncher(packLauncher(
        {{0, 0, "one.tag", kScript}, {0, 0, "two.tag", "INSTRUCTIONS:\nSET S1 = second\n/:\n"}}));
    fileIndex().load(true);
    ASSERT_NE(fileIndex().entryAt(1)->document, nullptr);
    fileIndex().instructions()->execute();
    EXPECT_EQ(wiz::scriptVariables.string(1).str(), "first");
}

TEST_F(FileIndexTest, SyntaxErrorInAnUnusedScriptStillFails) {
    writeLauncher(packLauncher({{1, 0, "a.jvm", kDescriptor},
                                {0, 0, "one.tag", kScript},
                                {0, 0, "two.tag", "no colon here\n"},
                                {1, 0, "b.jvm", kDescriptor}}));
    EXPECT_EQ(loadFailure(true),
              "Syntax error in two.tag at line 1 ==> Missing colon at the end of the tag name.");
    // The entries before the broken one were processed; the one after it was not.
    EXPECT_NE(fileIndex().instructions(), nullptr);
    EXPECT_EQ(fileIndex().jvmSearcher().descriptorCount(), 1);
    EXPECT_FALSE(fileIndex().indexLoaded());
}

TEST_F(FileIndexTest, EntryAtAndFindByIdBounds) {
    writeLauncher(packLauncher({{3, 5, "a", "1"}, {3, 7, "b", "2"}, {4, 5, "c", "3"}}));
    fileIndex().load(false);
    EXPECT_EQ(fileIndex().entryAt(-1), nullptr);
    EXPECT_EQ(fileIndex().entryAt(3), nullptr);
    EXPECT_EQ(fileIndex().entryAt(2)->name, "c");
    ASSERT_NE(fileIndex().findById(5), nullptr);
    EXPECT_EQ(fileIndex().findById(5)->name, "a");
    EXPECT_EQ(fileIndex().findById(7)->name, "b");
    EXPECT_EQ(fileIndex().findById(6), nullptr);
}

TEST_F(FileIndexTest, InputDocumentFilesWinOverEmbeddedOnes) {
    dir.write("script.tag", "INSTRUCTIONS:\nSET S1 = input\n/:\n");
    dir.write("launch.tag", "COMMAND: java Input\nDISPLAY_CONSOLE: 1\nAUTO_SET_WORKING_DIR: 0\n");
    dir.write("a.jvm", "DESC: A\n");
    dir.write("b.jvm", "DESC: B\n");
    wiz::TagDocument input;
    dir.write("input.tag", "INSTRUCTIONS: " + dir.file("script.tag") +
                               "\nLAUNCHSCRIPT: " + dir.file("launch.tag") + "\nJVM:\n" +
                               dir.file("a.jvm") + "\n" + dir.file("b.jvm") +
                               "\n/:\nVERIFY_CLASSPATH: v.jar\nVERIFY_CLASS_NAME: Verify\n");
    input.loadFile(wiz::LString(dir.file("input.tag")));
    fileIndex().applyInputDocument(input);
    EXPECT_EQ(host.calls, std::vector<std::string>{"title:Corvane Wizard"});

    writeLauncher(packLauncher({{0, 0, "embedded.tag", kScript},
                                {1, 0, "embedded.jvm", kDescriptor},
                                {2, 0, "embedded-launch.tag", kLaunchScript}}));
    fileIndex().load(true);

    fileIndex().instructions()->execute();
    EXPECT_EQ(wiz::scriptVariables.string(1).str(), "input");
    ASSERT_NE(fileIndex().launchScript(), nullptr);
    EXPECT_EQ(fileIndex().launchScript()->commandTemplate.text().str(), "java Input");
    EXPECT_TRUE(fileIndex().launchScript()->consoleOutput);
    EXPECT_FALSE(fileIndex().launchScript()->autoWorkingDir);

    // The named JVM files, in order; the embedded descriptor is read but not registered.
    wiz::JvmSearcher& searcher = fileIndex().jvmSearcher();
    ASSERT_EQ(searcher.descriptorCount(), 2);
    EXPECT_EQ(searcher.descriptorAt(0)->sourceName().str(), dir.file("a.jvm"));
    EXPECT_EQ(searcher.descriptorAt(1)->document().getValue("DESC").str(), "B");
    EXPECT_NE(fileIndex().entryAt(1)->document, nullptr);
    EXPECT_EQ(searcher.verifyClassPathArg().str(), "v.jar");
    EXPECT_EQ(searcher.verifyClassArg().str(), "Verify");
}

TEST_F(FileIndexTest, InputDocumentWithOnlyAnEmptyJvmValueStillDropsEmbeddedDescriptors) {
    wiz::TagDocument input;
    input.addValue("JVM", "");
    input.setValue("VERIFY_CLASSPATH", "only.jar");  // without a class name: not taken
    input.setValue("UI_TITLE", "ignored text");
    fileIndex().applyInputDocument(input);
    EXPECT_TRUE(fileIndex().jvmListFromInput());
    EXPECT_EQ(fileIndex().jvmSearcher().verifyClassPathArg().str(), "");
    EXPECT_EQ(host.calls, std::vector<std::string>{"title:Corvane Wizard"});

    writeLauncher(packLauncher({{1, 0, "embedded.jvm", kDescriptor}}));
    fileIndex().load(true);
    EXPECT_EQ(fileIndex().jvmSearcher().descriptorCount(), 0);
}

TEST_F(FileIndexTest, InputDocumentFailuresCarryTheirContext) {
    dir.write("bad.tag", "INSTRUCTIONS\n");
    const std::string missing = dir.file("missing.tag");
    const std::string bad = dir.file("bad.tag");
    const struct {
        const char* tag;
        std::string path;
        std::string message;
    } cases[] = {
        {"INSTRUCTIONS", missing,
         "Error loading instructions file.Unable to load input file: " + missing},
        {"LAUNCHSCRIPT", missing,
         "Error loading launch script.Unable to load input file: " + missing},
        {"JVM", missing, "Error loading JVM file.Unable to load input file: " + missing},
        {"JVM", bad,
         "Error loading JVM file.Syntax error in " + bad +
             " at line 1 ==> Missing colon at the end of the tag name."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        wiztest::resetFileIndex();
        wiz::TagDocument input;
        input.setValue(c.tag, wiz::LString(c.path));
        try {
            fileIndex().applyInputDocument(input);
            ADD_FAILURE() << "no failure";
        } catch (const LauncherException& e) {
            EXPECT_EQ(e.message().str(), c.message);
        }
        EXPECT_EQ(fileIndex().instructions(), nullptr);
        EXPECT_EQ(fileIndex().launchScript(), nullptr);
        EXPECT_EQ(fileIndex().jvmSearcher().descriptorCount(), 0);
    }
}

TEST_F(FileIndexTest, LoadDocumentFileKeepsTheDocument) {
    dir.write("doc.tag", "A: 1\n");
    wiz::TagDocument& doc = fileIndex().loadDocumentFile(wiz::LString(dir.file("doc.tag")));
    EXPECT_EQ(doc.getValue("A").str(), "1");
    EXPECT_EQ(doc.sourceName().str(), dir.file("doc.tag"));
}

TEST_F(FileIndexTest, LauncherStyleByte) {
    const std::string other = dir.write("other.exe", packLauncher({}, 0x2A));
    EXPECT_EQ(wiz::readLauncherStyle(wiz::LString(other)), 0x2A);
    EXPECT_EQ(wiz::readLauncherStyle(wiz::LString(dir.write("short", "12345678"))), -1);
    EXPECT_EQ(wiz::readLauncherStyle(wiz::LString(dir.write("nine",
                                                            "\xC8"
                                                            "23456789"))),
              200);
    EXPECT_EQ(wiz::readLauncherStyle(wiz::LString(dir.file("missing"))), -1);

    // The running launcher's byte is read once; a missing launcher is not remembered.
    EXPECT_EQ(wiz::readLauncherStyle(wiz::runSettings().launcherPath), -1);
    writeLauncher(packLauncher({}, 7));
    EXPECT_EQ(wiz::readLauncherStyle(wiz::runSettings().launcherPath), 7);
    writeLauncher(packLauncher({}, 9));
    EXPECT_EQ(wiz::readLauncherStyle(wiz::runSettings().launcherPath), 7);
    dir.write("other.exe", packLauncher({}, 9));
    EXPECT_EQ(wiz::readLauncherStyle(wiz::LString(other)), 9);
}

}  // namespace
