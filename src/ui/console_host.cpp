#include "ui/console_host.h"

#include <string>

#include "platform/console_output.h"
#include "services/host.h"
#include "services/messages.h"
#include "ui/run.h"

namespace wiz {

ConsoleHost::ConsoleHost(ArgumentList& args, ConsoleStreams streams)
    : args_(&args), streams_(streams) {}

LauncherHost* createConsoleHost(ArgumentList& args) { return new ConsoleHost(args); }

// Characters for a console, the bytes for a file or a pipe.
void ConsoleHost::write(const char* text, bool flush) {
    writeConsoleText(streams_.out, text, flush);
}

void ConsoleHost::printLine(const LString& text) {
    write((text + "\n").c_str(), false);
    atLineStart_ = true;
    linePending_ = false;
}

void ConsoleHost::printRaw(const LString& text) {
    write(text.c_str(), true);
    atLineStart_ = false;
    linePending_ = true;
}

void ConsoleHost::endLine() {
    if (!atLineStart_) printLine(LString());
}

void ConsoleHost::printDot(int n) {
    if (n > 0 && n % kDotsPerRow == 0) {
        printLine(".");
    } else {
        printRaw(".");
    }
}

bool ConsoleHost::initialize(void* instance, int /*showCommand*/) {
    hostState().moduleInstance = instance;
    return true;
}

int ConsoleHost::run() { return runLaunch(*this, *args_, ExitMessageRoute::HostShowMessage); }

void ConsoleHost::setStatus(const LString& text) {
    endLine();
    printLine(text);
}

void ConsoleHost::setStatus2(const LString& /*line1*/, const LString& line2) {
    endLine();
    printLine(line2);
}

void ConsoleHost::stepProgress(int delta) {
    for (int i = 0; i < delta; ++i) printDot(++progress_);
}

void ConsoleHost::setProgress(int percent) {
    if (progress_ == 100 || percent > progress_) printLine(LString());
    progress_ = percent;
}

void ConsoleHost::show() { visible_ = true; }

void ConsoleHost::hide(int /*seconds*/) { visible_ = false; }

bool ConsoleHost::isVisible() { return visible_; }

void ConsoleHost::showMessage(const LString& text) { printLine(text); }

void ConsoleHost::endPartialLine() {
    if (linePending_) printLine(LString());
}

LString ConsoleHost::getTitle() { return title_; }

void ConsoleHost::setTitle(const LString& text) { title_ = text; }

LString ConsoleHost::chooseDirectory() {
    printRaw(loadString(StringId::ChooseDestination));
    // The whole line is the answer: a directory name may contain blanks ("C:\Program Files"),
    // and nothing of the line may be left for the next prompt.
    std::string line;
    for (int c = std::getc(streams_.in); c != EOF && c != '\n'; c = std::getc(streams_.in)) {
        line += static_cast<char>(c);
    }
    const std::string::size_type first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return LString();
    const std::string::size_type last = line.find_last_not_of(" \t\r");
    return LString(line.substr(first, last - first + 1));
}

}  // namespace wiz
