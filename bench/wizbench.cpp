// wizbench: the benchmark driver of bench/run.sh, and the small programs it times.
//
// Drivers (each prints result rows, see printRow):
//   wizbench child RUNS PROGRAM        a trivial PROGRAM through the launcher's runner, captured
//                                      and not, against plain starts of it from this process
//   wizbench compare NAME RUNS TARGET PLAN
//                                      the two sides of PLAN in turn, RUNS times each
//   wizbench index-load RUNS EMPTY SMALL LARGE
//                                      load-index on three launcher files, in turn
// Programs the drivers start:
//   wizbench walk ROOT NAME            the drive search's walk of ROOT; prints each file NAME
//   wizbench plain-walk ROOT NAME      the same done plainly with the system's listing calls
//   wizbench extract FILE POSITION DIR extracts the entry at POSITION of launcher file FILE
//   wizbench load-index FILE           loads the index of FILE; prints the milliseconds taken
// Fixtures:
//   wizbench make-index FILE COUNT [IMAGE SCRIPT]
//                                      writes a launcher file with COUNT one-byte entries, after
//                                      the launcher IMAGE and its instruction SCRIPT when given
//
// A PLAN file has one line per step, fields separated by tabs; '#' starts a comment line:
//   A|B  null|capture  DIRECTORY|-  COMMAND LINE    a step of side A (the launcher's way) or B
//                                                   (the reference); the steps of a side run
//                                                   one after the other and are timed together
//   A|B  remove        PATH                          removed before each run of that side,
//                                                   outside the timing
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/embedded_files.h"
#include "archive/launcher_format.h"
#include "base/exceptions.h"
#include "bench_process.h"
#include "core/file_index.h"
#include "jvm/drive_search.h"
#include "launch/child_process.h"
#include "plain_walk.h"
#include "services/host.h"
#include "services/settings.h"
#include "support/null_host.h"

namespace {

using wizbench::Command;
using wizbench::Finished;
using wizbench::Output;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One row of the table that bench/run.sh prints: the launcher's median, the reference's median
// (0 when there is none), the unit, the target (for example "<=1.05", the ratio launcher /
// reference), the peak resident sizes and a note. Tab-separated, behind "ROW".
void printRow(const std::string& name, double launcher, double reference, const char* unit,
              const std::string& target, const std::string& memory, const std::string& note) {
    std::printf("ROW\t%s\t%.3f\t%.3f\t%s\t%s\t%s\t%s\n", name.c_str(), launcher, reference, unit,
                target.c_str(), memory.empty() ? "-" : memory.c_str(),
                note.empty() ? "-" : note.c_str());
    std::fflush(stdout);
}

std::string megabytes(double kb) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", kb / 1024);
    return text;
}

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

Finished mustSucceed(const Command& command) {
    Finished finished = wizbench::runPlain(command);
    if (finished.exitCode != 0) {
        throw std::runtime_error(command.line + " ended with exit code " +
                                 std::to_string(finished.exitCode) + ":\n" + finished.output);
    }
    return finished;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// ---- child: the runner against plain starts ----------------------------------------------------

int childBench(int runs, const std::string& program) {
    wiz::setSilent(true);
    const std::string line = quoted(program);
    const Command plain = wizbench::makeCommand(line, Output::Null, "");
    const Command captured = wizbench::makeCommand(line, Output::Capture, "");
    wiz::LString out, err;
    wiz::RunOptions runnerPlain;
    wiz::RunOptions runnerCaptured;
    runnerCaptured.capture = true;
    runnerCaptured.stdoutBuffer = &out;
    runnerCaptured.stderrBuffer = &err;

    // The ways, taken in a rotating order so that none always follows the same one. The plain
    // start is measured twice: how far apart those two come out shows the noise of the machine.
    constexpr int kWays = 5;
    auto runOne = [&](int way) {
        switch (way) {
            case 0:
                return wiz::runCommand(wiz::LString(line), runnerPlain);
            case 1:
                return wiz::runCommand(wiz::LString(line), runnerCaptured);
            case 2:
            case 4:
                return wizbench::runPlain(plain).exitCode;
            default:
                return wizbench::runPlain(captured).exitCode;
        }
    };
    std::vector<double> times[kWays];
    for (int i = -3; i < runs; ++i) {  // three rounds to warm up
        for (int k = 0; k < kWays; ++k) {
            const int way = (i + kWays + k) % kWays;
            const double start = wizbench::seconds();
            const int code = runOne(way);
            const double elapsed = wizbench::seconds() - start;
            if (code != 0) throw std::runtime_error(line + " ended with " + std::to_string(code));
            if (i >= 0) times[way].push_back(elapsed * 1000);
        }
    }
    char noise[96];
    std::snprintf(noise, sizeof noise, "; the plain start against itself: %.3f",
                  median(times[4]) / median(times[2]));
    const std::string runsNote = std::to_string(runs) + " runs each" + noise;
    printRow("child run, not captured: runCommand vs spawn+wait", median(times[0]),
             median(times[2]), "ms", "<=1.05", "", runsNote);
    printRow("child run, captured: runCommand vs spawn+pipes+read+wait", median(times[1]),
             median(times[3]), "ms", "<=1.05", "", runsNote);
    return 0;
}

// ---- compare: two sides of spawned programs ---------------------------------------------------

struct Side {
    std::vector<Command> steps;
    std::vector<std::string> removals;
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

void readPlan(const std::string& path, Side sides[2]) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = splitTabs(line);
        if (f.size() < 3 || (f[0] != "A" && f[0] != "B"))
            throw std::runtime_error("bad line in " + path + ": " + line);
        Side& side = sides[f[0] == "A" ? 0 : 1];
        if (f[1] == "remove") {
            side.removals.push_back(f[2]);
            continue;
        }
        if (f.size() != 4 || (f[1] != "null" && f[1] != "capture"))
            throw std::runtime_error("bad line in " + path + ": " + line);
        side.steps.push_back(wizbench::makeCommand(
            f[3], f[1] == "capture" ? Output::Capture : Output::Null, f[2] == "-" ? "" : f[2]));
    }
    if (sides[0].steps.empty() || sides[1].steps.empty())
        throw std::runtime_error(path + " needs steps for both sides");
}

struct SideRun {
    double ms = 0;
    long peakRssKb = 0;
    int outputLines = 0;
};

SideRun runSide(const Side& side) {
    for (const std::string& path : side.removals) wizbench::removeFileIfAny(path);
    SideRun run;
    const double start = wizbench::seconds();
    for (const Command& step : side.steps) {
        Finished finished = mustSucceed(step);
        run.peakRssKb = std::max(run.peakRssKb, finished.peakRssKb);
        run.outputLines += lineCount(finished.output);
    }
    run.ms = (wizbench::seconds() - start) * 1000;
    return run;
}

int compareBench(const std::string& name, int runs, const std::string& target,
                 const std::string& planPath) {
    Side sides[2];
    readPlan(planPath, sides);
    std::vector<double> ms[2], rss[2];
    int lines[2] = {0, 0};
    for (int i = -1; i < runs; ++i) {  // one round to warm up
        for (int k = 0; k < 2; ++k) {
            const int s = (i + 2 + k) % 2;
            SideRun run = runSide(sides[s]);
            lines[s] = run.outputLines;
            if (i < 0) continue;
            ms[s].push_back(run.ms);
            rss[s].push_back(static_cast<double>(run.peakRssKb));
        }
    }
    std::string memory;
    if (median(rss[0]) > 0) memory = megabytes(median(rss[0])) + " / " + megabytes(median(rss[1]));
    std::string note = std::to_string(runs) + " runs each";
    if (lines[0] > 0 || lines[1] > 0) {
        note += "; output lines " + std::to_string(lines[0]) + " / " + std::to_string(lines[1]);
    }
    printRow(name, median(ms[0]), median(ms[1]), "ms", target, memory, note);
    return 0;
}

// ---- index-load -------------------------------------------------------------------------------

int indexLoadBench(int runs, const std::vector<std::string>& files) {
    const std::string self = wizbench::selfPath();
    std::vector<std::vector<double>> ms(files.size()), rss(files.size());
    std::vector<int> counts(files.size());
    for (int i = -1; i < runs; ++i) {
        for (size_t k = 0; k < files.size(); ++k) {
            const size_t f = (static_cast<size_t>(i + 1) + k) % files.size();
            Finished finished = mustSucceed(wizbench::makeCommand(
                quoted(self) + " load-index " + quoted(files[f]), Output::Capture, ""));
            double loaded = 0;
            int count = 0;
            if (std::sscanf(finished.output.c_str(), "%lf ms %d", &loaded, &count) != 2)
                throw std::runtime_error("load-index printed: " + finished.output);
            counts[f] = count;
            if (i < 0) continue;
            ms[f].push_back(loaded);
            rss[f].push_back(static_cast<double>(finished.peakRssKb));
        }
    }
    // files: an empty index (the baseline of the memory figures), then the small and the large.
    const std::string baseline = "empty index: " + megabytes(median(rss[0]));
    const std::string runsNote = std::to_string(runs) + " runs each";
    printRow("index load, " + std::to_string(counts[1]) + " entries", median(ms[1]), 0, "ms", "-",
             megabytes(median(rss[1])), runsNote + "; " + baseline);
    printRow("index load, " + std::to_string(counts[2]) + " against " + std::to_string(counts[1]) +
                 " entries",
             median(ms[2]), median(ms[1]), "ms", "~" + std::to_string(counts[2] / counts[1]),
             megabytes(median(rss[2])), runsNote + "; linear gives the ratio of the counts");
    return 0;
}

// ---- the programs the drivers start ------------------------------------------------------------

// Prints each file the drive search offers, as find does.
class PrintingVisitor : public wiz::FileVisitor {
public:
    bool visit(const wiz::LString& path) override {
        std::printf("%s\n", path.c_str());
        return false;
    }
};

int walk(const std::string& root, const std::string& name) {
    wiz::setSilent(true);
    wiz::StringList names;
    names.append(wiz::LString(name));
    PrintingVisitor visitor;
    wiz::searchDrive(wiz::LString(root), names, visitor);
    return 0;
}

// Counts the progress steps of an extraction.
class StepCounter : public wiztest::NullHost {
public:
    int steps = 0;
    void stepProgress(int delta) override { steps += delta; }
};

int extract(const std::string& file, int position, const std::string& directory) {
    StepCounter counter;
    wiztest::ScopedHost scopedHost{counter};
    wiz::runSettings().launcherPath = wiz::LString(file);
    wiz::fileIndex().load(false);
    const wiz::EmbeddedFileEntry* entry = wiz::fileIndex().entryAt(position);
    if (!entry) throw std::runtime_error("no entry at position " + std::to_string(position));
    const wiz::LString written = entry->extractTo(wiz::LString(directory));
    std::printf("%s: %u bytes, %d progress steps\n", written.c_str(), entry->length, counter.steps);
    return 0;
}

int loadIndex(const std::string& file) {
    wiz::setSilent(true);
    wiz::runSettings().launcherPath = wiz::LString(file);
    const double start = wizbench::seconds();
    wiz::fileIndex().load(false);
    const double elapsed = wizbench::seconds() - start;
    std::printf("%.3f ms %d entries\n", elapsed * 1000, wiz::fileIndex().count());
    return 0;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A launcher file with `count` one-byte class-path entries. With an image and a script it is a
// launcher that runs: the image (the launcher executable), then the script as its first entry.
int makeIndex(const std::string& path, uint32_t count, const std::string& imagePath,
              const std::string& scriptPath) {
    std::string file = imagePath.empty() ? "MZ benchmark stub" : readWholeFile(imagePath);
    std::vector<wiz::EntryRecord> records;
    if (!scriptPath.empty()) {
        wiz::EntryRecord script;
        script.type = wiz::kEntryInstructions;
        script.offset = static_cast<uint32_t>(file.size());
        file += readWholeFile(scriptPath);
        script.length = static_cast<uint32_t>(file.size()) - script.offset;
        script.name = "instructions.tag";
        records.push_back(script);
    }
    const uint32_t firstEntry = static_cast<uint32_t>(file.size());
    file.append(count, 'x');
    const uint32_t indexOffset = static_cast<uint32_t>(file.size());
    wiz::appendUInt32BE(file, static_cast<uint32_t>(records.size()) + count);
    for (const wiz::EntryRecord& record : records) wiz::appendEntryRecord(file, record);
    for (uint32_t i = 0; i < count; ++i) {
        wiz::EntryRecord record;
        record.type = wiz::kEntryClasspathArchive;
        record.id = i;
        record.length = 1;
        record.offset = firstEntry + i;
        char name[32];
        std::snprintf(name, sizeof name, "entry%06u.jar", i);
        record.name = name;
        wiz::appendEntryRecord(file, record);
    }
    wiz::appendTrailer(file, 0, indexOffset);
    std::ofstream out(path, std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
    return 0;
}

int usage() {
    std::fputs(
        "usage: wizbench child RUNS PROGRAM | compare NAME RUNS TARGET PLAN |\n"
        "       index-load RUNS EMPTY SMALL LARGE | walk ROOT NAME | plain-walk ROOT NAME |\n"
        "       extract FILE POSITION DIR | load-index FILE |\n"
        "       make-index FILE COUNT [IMAGE SCRIPT]\n",
        stderr);
    return 2;
}

int dispatch(const std::vector<std::string>& a) {
    const size_t n = a.size();
    if (n == 0) return usage();
    const std::string& what = a[0];
    if (what == "child" && n == 3) return childBench(std::atoi(a[1].c_str()), a[2]);
    if (what == "compare" && n == 5) return compareBench(a[1], std::atoi(a[2].c_str()), a[3], a[4]);
    if (what == "index-load" && n == 5)
        return indexLoadBench(std::atoi(a[1].c_str()), {a[2], a[3], a[4]});
    if (what == "walk" && n == 3) return walk(a[1], a[2]);
    if (what == "plain-walk" && n == 3) return wizbench::plainWalk(a[1], a[2]);
    if (what == "extract" && n == 4) return extract(a[1], std::atoi(a[2].c_str()), a[3]);
    if (what == "load-index" && n == 2) return loadIndex(a[1]);
    if (what == "make-index" && (n == 3 || n == 5)) {
        return makeIndex(a[1], static_cast<uint32_t>(std::strtoul(a[2].c_str(), nullptr, 10)),
                         n == 5 ? a[3] : "", n == 5 ? a[4] : "");
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const wiz::LauncherException& e) {
        std::fprintf(stderr, "wizbench: %s\n", e.message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wizbench: %s\n", e.what());
    }
    return 1;
}
