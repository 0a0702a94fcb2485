// The console host: status lines, rows of progress dots and messages on standard output, and a
// directory prompt on standard input. Everything runs on the thread that calls run().
#pragma once

#include <cstdio>

#include "base/lstring.h"
#include "core/arguments.h"
#include "services/host.h"

namespace wiz {

// Where the console host reads and writes. Output to a console goes there as characters,
// anything else gets the bytes (platform/console_output.h).
struct ConsoleStreams {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
};

class ConsoleHost : public LauncherHost {
public:
    // A progress row ends after every this many dots, counted from the last setProgress.
    static constexpr int kDotsPerRow = 70;

    explicit ConsoleHost(ArgumentList& args, ConsoleStreams streams = ConsoleStreams());

    bool initialize(void* instance, int showCommand) override;
    int run() override;
    void setStatus(const LString& text) override;
    void setStatus2(const LString& line1, const LString& line2) override;
    void stepProgress(int delta) override;
    void setProgress(int percent) override;
    void show() override;
    void hide(int seconds) override;
    bool isVisible() override;
    void showMessage(const LString& text) override;
    LString getTitle() override;
    void setTitle(const LString& text) override;
    // Prompts with string 30 and reads one whole line: the answer is the line without its line
    // break and the blanks around it; empty at the end of the input.
    LString chooseDirectory() override;
    // Ends a row of progress dots (or another text printed without a line break).
    void endPartialLine() override;

private:
    void write(const char* text, bool flush);
    void printLine(const LString& text);
    void printRaw(const LString& text);
    void endLine();
    void printDot(int n);

    ArgumentList* args_;
    ConsoleStreams streams_;
    int progress_ = 0;
    bool visible_ = false;
    LString title_;
    bool atLineStart_ = false;
    // Text without a line break was printed last.
    bool linePending_ = false;
};

LauncherHost* createConsoleHost(ArgumentList& args);

}  // namespace wiz
