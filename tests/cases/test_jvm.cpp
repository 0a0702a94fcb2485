// wizjava: a stand-in for a Java runtime's launcher program. The tests copy it into a fake JVM
// home as HOME/bin/java (java.exe on Windows), where the launcher finds, verifies and starts it as
// it would a real one; under Wine that is the only kind of JVM the Windows launcher can drive.
//
// Beside itself (in HOME/bin) it reads the optional file test_jvm.cfg, lines of key=value:
//   exit=N                 exit code of a wizard run (default 0)
//   env=NAME1,NAME2,...    environment variables to record besides JAVA_HOME
//   property.NAME=VALUE    the value reported for system property NAME
//   stdout=TEXT            one line printed on standard output by a wizard run
//   stderr=TEXT            one line printed on standard error by a wizard run
//   sleep_ms=N             how long a wizard run sleeps before it exits
//   stdout_bytes=N         bytes of filler (lines of "o") a wizard run writes to standard output
//                          before its line; stderr_bytes=N the same ("e") for standard error
//   verify_sleep_ms=N      how long a verification run sleeps before it answers (a runtime that
//                          hangs)
//   ignore_break=1         Ctrl+Break does not end it (Windows): a Java runtime prints a thread
//                          dump then and goes on
//   ctrl_c_exit=N          Ctrl+C ends it with exit code N (Windows)
//   started_file=NAME      a wizard run creates the file NAME beside itself before it sleeps: the
//                          sign that the wizard (not a verification run) is under way
// Other keys are ignored.
//
// Every run appends one record to test_jvm.log beside itself:
//   run / argc=N / arg[I]=ARG for each argument / cwd=DIR / JAVA_HOME=VALUE or "JAVA_HOME unset" /
//   env:NAME=VALUE or "env:NAME unset" for each configured name / end
// one item a line, the bytes as received, without quoting.
//
// Started under a name that begins with "install" (install.exe), it is a JVM installer instead:
// it installs a runtime into its working directory (a copy of itself as bin/java, with the same
// extension) and writes the JVM file "jvm" that describes it there, then exits 0.
//
// A run with an argument "Verify" is a verification run: like the real verification class it
// prints the marker line, then one line per argument after "Verify" with that property's value
// (java.home defaults to HOME, anything else not configured to "null"), and exits 0. Any other
// run is a wizard run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "test_jvm_console.h"

namespace fs = std::filesystem;

namespace {

struct Config {
    int exitCode = 0;
    std::vector<std::string> envNames;
    std::map<std::string, std::string> properties;
    bool hasStdout = false;
    std::string stdoutLine;
    bool hasStderr = false;
    std::string stderrLine;
    long long sleepMs = 0;
    long long stdoutBytes = 0;
    long long stderrBytes = 0;
    long long verifySleepMs = 0;
    bool ignoreBreak = false;
    bool hasCtrlCExit = false;
    int ctrlCExit = 0;
    std::string startedFile;
};

// A decimal integer with an optional sign and nothing else; false otherwise.
bool parseInteger(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return false;
    value = v;
    return true;
}

Config readConfig(const fs::path& file) {
    Config config;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        // A file written on Windows has CR LF line ends.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string::size_type eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        long long number = 0;
        if (key == "exit") {
            if (parseInteger(value, number)) config.exitCode = static_cast<int>(number);
        } else if (key == "env") {
            config.envNames.clear();
            std::string::size_type start = 0;
            while (start <= value.size()) {
                std::string::size_type comma = value.find(',', start);
                if (comma == std::string::npos) comma = value.size();
                if (comma > start) config.envNames.push_back(value.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (key.compare(0, 9, "property.") == 0) {
            config.properties[key.substr(9)] = value;
        } else if (key == "stdout") {
            config.hasStdout = true;
            config.stdoutLine = value;
        } else if (key == "stderr") {
            config.hasStderr = true;
            config.stderrLine = value;
        } else if (key == "sleep_ms") {
            if (parseInteger(value, number) && number > 0) config.sleepMs = number;
        } else if (key == "stdout_bytes") {
            if (parseInteger(value, number) && number > 0) config.stdoutBytes = number;
        } else if (key == "stderr_bytes") {
            if (parseInteger(value, number) && number > 0) config.stderrBytes = number;
        } else if (key == "verify_sleep_ms") {
            if (parseInteger(value, number) && number > 0) config.verifySleepMs = number;
        } else if (key == "ignore_break") {
            config.ignoreBreak = value == "1";
        } else if (key == "started_file") {
            config.startedFile = value;
        } else if (key == "ctrl_c_exit") {
            if (parseInteger(value, number)) {
                config.hasCtrlCExit = true;
                config.ctrlCExit = static_cast<int>(number);
            }
        }
    }
    return config;
}

std::string currentDirectory() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec) return std::string();
    try {
        return cwd.string();
    } catch (const std::exception&) {
        return std::string();
    }
}

void appendEnvironment(std::string& record, const std::string& label, const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value)
        record += label + "=" + value + "\n";
    else
        record += label + " unset\n";
}

void appendRecord(const fs::path& logFile, int argc, char** argv, const Config& config) {
    std::string record = "run\nargc=" + std::to_string(argc) + "\n";
    for (int i = 0; i < argc; ++i)
        record += "arg[" + std::to_string(i) + "]=" + std::string(argv[i]) + "\n";
    record += "cwd=" + currentDirectory() + "\n";
    appendEnvironment(record, "JAVA_HOME", "JAVA_HOME");
    for (const std::string& name : config.envNames) appendEnvironment(record, "env:" + name, name);
    record += "end\n";

    // Binary mode: the record is the same bytes on every system.
    std::ofstream log(logFile, std::ios::binary | std::ios::app);
    log.write(record.data(), static_cast<std::streamsize>(record.size()));
    log.close();
}

// `bytes` bytes of lines of `c`, 99 and a line feed each (the last one may be short).
void printFiller(std::FILE* stream, char c, long long bytes) {
    std::string line(99, c);
    line += '\n';
    for (; bytes >= 100; bytes -= 100) std::fwrite(line.data(), 1, line.size(), stream);
    std::fwrite(line.data(), 1, static_cast<size_t>(bytes), stream);
    std::fflush(stream);
}

void printLine(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    // Where this program is: HOME/bin/java -> HOME. Linux names it in /proc; elsewhere (Windows
    // hands programs an absolute argv[0]) the path it was started by, taken relative to the
    // directory it starts in. A relative argv[0] given together with another working directory
    // (as a launcher may start it) only works through the first way.
    fs::path self;
    std::error_code ec;
    self = fs::read_symlink("/proc/self/exe", ec);
    if ((ec || self.empty()) && argc > 0 && argv[0][0] != '\0') {
        self = fs::absolute(fs::path(argv[0]), ec).lexically_normal();
    }
    fs::path binDir = self.parent_path();
    fs::path home = binDir.parent_path();

    Config config = readConfig(binDir / "test_jvm.cfg");
    // Before the record, which tells the tests that the run is under way.
    if (config.ignoreBreak) ignoreCtrlBreak();
    if (config.hasCtrlCExit) exitOnCtrlC(config.ctrlCExit);
    appendRecord(binDir / "test_jvm.log", argc, argv, config);

    if (self.filename().string().rfind("install", 0) == 0) {
        const fs::path program = fs::path("bin") / ("java" + self.extension().string());
        fs::create_directories("bin", ec);
        fs::copy_file(self, program, fs::copy_options::overwrite_existing, ec);
        std::ofstream jvm("jvm", std::ios::binary);
        jvm << "DESC: Installed test JVM\nJVM_EXE: " << program.string() << "\n";
        return 0;
    }

    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "Verify") continue;
        if (config.verifySleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(config.verifySleepMs));
        printLine(stdout, "1739021872");
        for (int j = i + 1; j < argc; ++j) {
            auto found = config.properties.find(argv[j]);
            if (found != config.properties.end())
                printLine(stdout, found->second);
            else if (std::string(argv[j]) == "java.home")
                printLine(stdout, home.string());
            else
                printLine(stdout, "null");
        }
        return 0;
    }

    printFiller(stdout, 'o', config.stdoutBytes);
    printFiller(stderr, 'e', config.stderrBytes);
    if (config.hasStdout) printLine(stdout, config.stdoutLine);
    if (config.hasStderr) printLine(stderr, config.stderrLine);
    if (!config.startedFile.empty()) std::ofstream(binDir / config.startedFile) << "started\n";
    if (config.sleepMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(config.sleepMs));
    return config.exitCode;
}
