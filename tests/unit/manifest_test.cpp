#include "tools/manifest.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using wiztest::TempDir;
using namespace wizpack;

namespace {

// Reads `text` as dir/m/setup.manifest.
PackJob read(const TempDir& dir, const std::string& text,
             const std::vector<std::string>& defines = {}) {
    std::filesystem::create_directories(dir.path() / "m");
    return readManifest(dir.write("m/setup.manifest", text), defines);
}

// The refusal of `text`, with the manifest's folder cut off the front.
std::string refusal(const std::string& text, const std::vector<std::string>& defines = {}) {
    TempDir dir;
    try {
        read(dir, text, defines);
    } catch (const PackError& e) {
        std::string message = e.what();
        const std::string folder = dir.file("m") + "/";
        for (size_t at; (at = message.find(folder)) != std::string::npos;)
            message.erase(at, folder.size());
        return message;
    }
    return "(accepted)";
}

// A path in the system's own spelling, so the test compares paths, not separators.
std::string normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

}  // namespace

TEST(Manifest, EntriesPathsAndOrigins) {
    TempDir dir;
    const PackJob job = read(dir,
                             "COMMENT:\n"
                             "  two entries\n"
                             "/:\n"
                             "LAUNCHER: ${BUILD}/wizlaunch\n"
                             "STYLE: 7\n"
                             "ENTRIES:\n"
                             "  instructions ../setup.tag id=1\n"
                             "  // a comment line\n"
                             "  6 \"files dir/app.jar\" name=wizard.jar compressed=3/4096\n"
                             "/:\n",
                             {"BUILD=" + dir.file("out"), "OTHER=x"});
    const std::string manifest = dir.file("m/setup.manifest");
    EXPECT_EQ(normal(job.base), normal(dir.file("out/wizlaunch")));
    EXPECT_EQ(job.baseOrigin, manifest + ":4");
    EXPECT_EQ(job.style, 7);
    ASSERT_EQ(job.entries.size(), 2u);
    EXPECT_EQ(normal(job.entries[0].path), normal(dir.file("setup.tag")));
    EXPECT_EQ(job.entries[0].record.type, 0);
    EXPECT_EQ(job.entries[0].record.id, 1u);
    EXPECT_EQ(job.entries[0].record.name, "setup.tag");
    EXPECT_EQ(job.entries[0].origin, manifest + ":7");
    EXPECT_EQ(normal(job.entries[1].path), normal(dir.file("m/files dir/app.jar")));
    EXPECT_EQ(job.entries[1].record.name, "wizard.jar");
    EXPECT_TRUE(job.entries[1].record.compressed);
    EXPECT_EQ(job.entries[1].record.decompressedCount, 3u);
    EXPECT_EQ(job.entries[1].record.decompressedSize, 4096u);
    EXPECT_EQ(job.entries[1].origin, manifest + ":9");
}

TEST(Manifest, BrandingTagsWithTheirLines) {
    TempDir dir;
    const PackJob job = read(dir,
                             "LAUNCHER: base.exe\nPRODUCT_NAME: Acme Setup\nICON: art/app.ico\n"
                             "VERSION: 3.1\nEXECUTION_LEVEL: requireAdministrator\n");
    const std::string manifest = dir.file("m/setup.manifest");
    EXPECT_EQ(job.branding.productName.value, "Acme Setup");
    EXPECT_EQ(job.branding.productName.origin, manifest + ":2");
    EXPECT_EQ(std::filesystem::path(job.branding.iconPath.value).lexically_normal(),
              std::filesystem::path(dir.file("m/art/app.ico")).lexically_normal());
    EXPECT_EQ(job.branding.version.origin, manifest + ":4");
    EXPECT_EQ(job.branding.executionLevel.value, "requireAdministrator");
    EXPECT_FALSE(job.branding.company.given());
}

// A NUL inside a value would cut it short where the tool reads it as a C string.
TEST(Manifest, NulInAValueIsRefused) {
    EXPECT_EQ(refusal(std::string("LAUNCHER: base\0evil\n", 20)),
              "setup.manifest:1: the value of LAUNCHER holds a NUL character");
}

TEST(Manifest, Refusals) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"LAUNCHER: a\nLAUNCHR: b\n",
         "setup.manifest:2: unknown tag 'LAUNCHR' (a manifest has LAUNCHER, STYLE, ENTRIES, "
         "COMMENT, PRODUCT_NAME, TEXTS, ICON, VERSION, COMPANY, DESCRIPTION, COPYRIGHT and "
         "EXECUTION_LEVEL)"},
        {"LAUNCHER: a\nVERSION:\n 1\n 2\n/:\n", "setup.manifest:4: VERSION takes one value"},
        {"STYLE: 1\n", "setup.manifest: no LAUNCHER tag naming the launcher"},
        {"LAUNCHER:\n a\n b\n/:\n", "setup.manifest:3: LAUNCHER takes one value"},
        {"LAUNCHER: a\nSTYLE: 256\n",
         "setup.manifest:2: the style byte must be a number 0..255, not '256'"},
        {"LAUNCHER: ${BUILD}/a\n",
         "setup.manifest:1: ${BUILD} is not defined (give -D BUILD=VALUE)"},
        {"LAUNCHER: ${BUILD/a\n", "setup.manifest:1: '${' without its '}' in '${BUILD/a'"},
        {"LAUNCHER: a\nENTRIES:\n  jar a.jar\n/:\n",
         "setup.manifest:3: unknown entry type 'jar' (use 0..7 or instructions, jvm, "
         "launchscript, classpath, jvminstaller, verification, application, launcher)"},
        {"LAUNCHER: a\nENTRIES:\n  a.jar\n/:\n",
         "setup.manifest:3: an entry is TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE]"},
        {"LAUNCHER: a\nENTRIES:\n  6 a.jar ids=3\n/:\n",
         "setup.manifest:3: unknown entry option 'ids=3' (id=I, name=NAME, "
         "compressed=COUNT/SIZE)"},
        {"LAUNCHER: a\nENTRIES:\n  6 a.jar id=1 id=2\n/:\n", "setup.manifest:3: id= given twice"},
        {"LAUNCHER: a\nENTRIES:\n  6 a.jar id=4294967296\n/:\n",
         "setup.manifest:3: the value of id must be a number 0..4294967295, not '4294967296'"},
        {"LAUNCHER: a\nENTRIES:\n  6 a.jar compressed=3\n/:\n",
         "setup.manifest:3: compressed= takes COUNT/SIZE, not '3'"},
        {"LAUNCHER: a\nENTRIES:\n  6 \"a.jar\n/:\n",
         "setup.manifest:3: Expected double quote to end argument near 3"},
        {"LAUNCHER: a\nENTRIES:\n  6 a.jar\n", "setup.manifest:2: Missing /: tag completer."},
        {"LAUNCHER a\n", "setup.manifest:1: Missing colon at the end of the tag name."},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.text), c.message) << c.text;
}
