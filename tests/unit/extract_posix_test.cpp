// Extraction onto a disk that fills up partway, on POSIX: a lowered file-size limit makes the
// system refuse the write that would pass it (EFBIG), at an exact byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "archive/embedded_files.h"
#include "archive/extract.h"
#include "base/exceptions.h"
#include "fs_test_support.h"
#include "services/settings.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

// Lowers this process's file-size limit while it lives. The signal that the system sends at the
// limit is ignored meanwhile, so the write fails with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        if (active_) ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_ = {};
    sighandler_t previousHandler_ = SIG_DFL;
    bool active_ = false;
};

TEST(ExtractPosixTest, AWriteThatFailsPartwayIsReportedAndWhatWasWrittenStays) {
    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scopedHost{host};
    std::string payload(wiz::kExtractBlockSize + 8000, '\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>('a' + i * 7 % 26);
    wiz::runSettings().launcherPath = wiz::LString(dir.write("launcher.exe", "MZ" + payload));

    struct Case {
        uint32_t limit;   // bytes the destination may take
        uint32_t length;  // bytes of the entry
        const char* where;
    } cases[] = {
        {1000, 5000, "in the first and only write"},
        {wiz::kExtractBlockSize + 1000, wiz::kExtractBlockSize + 5000,
         "in the last write, after a whole block"},
        {wiz::kExtractBlockSize + 10, wiz::kExtractBlockSize + 20,
         "in the last few bytes, which a buffered stream writes only when it is closed"},
    };
    for (const Case& c : cases) {
        wiz::EmbeddedFileEntry entry;
        entry.type = wiz::kEntryApplicationArchive;
        entry.name = "app.jar";
        entry.offset = 2;
        entry.length = c.length;
        std::string message = "(no exception)";
        {
            FileSizeLimit limit(c.limit);
            if (!limit.active()) GTEST_SKIP() << "the file-size limit cannot be lowered here";
            try {
                entry.extractTo(wiz::LString(dir.path().string()));
            } catch (const wiz::LauncherException& e) {
                message = e.message().str();
            }
        }
        EXPECT_EQ(message, "Error writing file = " + std::to_string(EFBIG) +
                               " There may not be enough temporary disk space. Try using "
                               "-cv:tempdir to use a temporary directory on a partition with "
                               "more disk space.")
            << c.where;
        // The partial file is left as it is, holding exactly what the disk took.
        EXPECT_TRUE(wiztest::TempDir::read(dir.file("app.jar")) == payload.substr(0, c.limit))
            << c.where;
    }
}

}  // namespace
