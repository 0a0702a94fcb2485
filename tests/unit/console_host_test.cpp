#include "ui/console_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/console_output.h"
#include "platform/file.h"
#include "services/host.h"
#include "services/messages.h"
#include "support/null_host.h"
#include "support/temp_dir.h"

using namespace wiz;

namespace {

std::string dots(int n) { return std::string(static_cast<size_t>(n), '.'); }

// A real file for the host to print to, and what it holds.
class PrintedFile {
public:
    PrintedFile() : path_(dir_.file("printed.txt")), file_(openFile(path_.c_str(), "w+b")) {
        if (!file_) throw std::runtime_error("cannot create " + path_);
    }
    std::FILE* get() const { return file_.get(); }
    std::string text() const {
        std::fflush(file_.get());
        return wiztest::TempDir::read(path_);
    }

private:
    wiztest::TempDir dir_;
    std::string path_;
    FilePtr file_;
};

struct OutputCase {
    const char* name;
    std::function<void(ConsoleHost&)> steps;
    std::string expected;
};

}  // namespace

TEST(ConsoleHost, PrintsExactly) {
    const OutputCase cases[] = {
        {"two full rows", [](ConsoleHost& h) { h.stepProgress(140); },
         dots(70) + "\n" + dots(70) + "\n"},
        {"rows counted from the last setProgress",
         [](ConsoleHost& h) {
             h.setProgress(30);
             h.stepProgress(45);
         },
         "\n" + dots(40) + "\n" + dots(5)},
        {"setProgress(100) ends the row, and so does the next setProgress",
         [](ConsoleHost& h) {
             h.stepProgress(5);
             h.setProgress(100);
             h.setProgress(0);
         },
         dots(5) + "\n\n"},
        {"lower progress prints nothing",
         [](ConsoleHost& h) {
             h.setProgress(50);
             h.setProgress(10);
             h.setProgress(10);
         },
         "\n"},
        {"no dots for zero or negative steps",
         [](ConsoleHost& h) {
             h.stepProgress(0);
             h.stepProgress(-3);
         },
         ""},
        {"the first status line follows an empty line",
         [](ConsoleHost& h) {
             h.setStatus("one");
             h.setStatus("two");
         },
         "\none\ntwo\n"},
        {"setStatus2 prints only the second line",
         [](ConsoleHost& h) { h.setStatus2("first", "second"); }, "\nsecond\n"},
        {"a status line ends a pending row first",
         [](ConsoleHost& h) {
             h.setStatus("s");
             h.stepProgress(3);
             h.setStatus("t");
         },
         "\ns\n...\nt\n"},
        {"a message continues the row of dots",
         [](ConsoleHost& h) {
             h.stepProgress(2);
             h.showMessage("done");
         },
         "..done\n"},
        {"the title is never printed", [](ConsoleHost& h) { h.setTitle("Title"); }, ""},
        // Before a child that shares the console writes.
        {"a row of dots is ended for another program's output",
         [](ConsoleHost& h) {
             h.setStatus("s");
             h.stepProgress(3);
             h.endPartialLine();
             h.endPartialLine();
         },
         "\ns\n...\n"},
        {"nothing to end after a line or before anything",
         [](ConsoleHost& h) {
             h.endPartialLine();
             h.setStatus("s");
             h.endPartialLine();
             h.stepProgress(70);
             h.endPartialLine();
         },
         "\ns\n" + dots(70) + "\n"},
    };
    for (const OutputCase& c : cases) {
        ArgumentList args;
        PrintedFile out;
        ConsoleHost host(args, {stdin, out.get()});
        c.steps(host);
        EXPECT_EQ(out.text(), c.expected) << c.name;
    }
}

TEST(ConsoleHost, VisibilityTitleAndInitialize) {
    ArgumentList args;
    PrintedFile out;
    ConsoleHost host(args, {stdin, out.get()});
    void* const saved = wiz::hostState().moduleInstance;
    int marker = 0;
    EXPECT_TRUE(host.initialize(&marker, 5));
    EXPECT_EQ(wiz::hostState().moduleInstance, &marker);
    wiz::hostState().moduleInstance = saved;

    EXPECT_FALSE(host.isVisible());
    host.show();
    EXPECT_TRUE(host.isVisible());
    host.hide(5);  // hides at once, the seconds are ignored
    EXPECT_FALSE(host.isVisible());

    EXPECT_EQ(host.getTitle(), "");
    host.setTitle("Wizard");
    EXPECT_EQ(host.getTitle(), "Wizard");
    EXPECT_EQ(out.text(), "");
}

TEST(ConsoleHost, RunWithoutArgumentsReturnsMinusOne) {
    ArgumentList args;
    PrintedFile out;
    ConsoleHost host(args, {stdin, out.get()});
    EXPECT_EQ(host.run(), -1);
    EXPECT_EQ(out.text(), "");
}

TEST(ConsoleHost, ChooseDirectoryReadsOneWholeLinePerPrompt) {
    wiztest::TempDir dir;
    const std::string longName = "C:\\" + std::string(3000, 'd') + " " + std::string(3000, 'e');
    struct Case {
        std::string input;
        std::vector<std::string> answers;  // one per prompt, in order
    } cases[] = {
        {"C:\\Program Files\\Java\nD:\\next\n", {"C:\\Program Files\\Java", "D:\\next"}},
        {"  \tC:\\jvm dest \t\r\n", {"C:\\jvm dest"}},
        {"C:\\no line break", {"C:\\no line break", ""}},
        {"", {""}},
        {"   \r\n\nE:\\third\n", {"", "", "E:\\third"}},
        {longName + "\n", {longName}},
    };
    const std::string prompt = loadString(StringId::ChooseDestination).str();
    ASSERT_EQ(prompt, "Choose the JVM Destination Directory");
    for (const Case& c : cases) {
        FilePtr in = openFile(dir.write("answer.txt", c.input).c_str(), "rb");
        ASSERT_TRUE(in);
        ArgumentList args;
        PrintedFile out;
        ConsoleHost host(args, {in.get(), out.get()});
        std::string prompts;
        for (const std::string& answer : c.answers) {
            EXPECT_EQ(host.chooseDirectory().str(), answer) << c.input.substr(0, 40);
            prompts += prompt;
        }
        EXPECT_EQ(out.text(), prompts);
        // The prompt leaves the cursor after itself: a status line starts on a new line.
        host.setStatus("x");
        EXPECT_EQ(out.text(), prompts + "\nx\n");
    }
}

// A file (or a pipe) gets the launcher's bytes unchanged, characters outside ASCII included, so
// that another program reads them exactly.
TEST(ConsoleHost, WritesTheBytesUnchangedToAFile) {
    PrintedFile out;
    EXPECT_FALSE(isConsole(out.get()));
    ArgumentList args;
    ConsoleHost host(args, {stdin, out.get()});
    host.setStatus("f\xFCr \xE9t\xE9");
    host.stepProgress(2);
    host.showMessage("\x80\xFF");
    EXPECT_EQ(out.text(), "\nf\xFCr \xE9t\xE9\n..\x80\xFF\n");
}

// The facade before a child starts: the console host ends its row only for a child that shares
// the console, and never in silent mode.
TEST(ConsoleHost, EndsItsRowBeforeAChildThatSharesTheConsole) {
    const struct {
        bool shares;
        bool silent;
        std::string expected;
    } cases[] = {{true, false, "..\n"}, {false, false, ".."}, {true, true, ".."}};
    for (const auto& c : cases) {
        ArgumentList args;
        PrintedFile out;
        ConsoleHost host(args, {stdin, out.get()});
        wiztest::ScopedHost installed(host);
        host.stepProgress(2);
        setSilent(c.silent);
        uiBeforeChildRuns(c.shares);
        setSilent(false);
        EXPECT_EQ(out.text(), c.expected) << c.shares << c.silent;
    }
}
