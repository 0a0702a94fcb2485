// Tree removal over a tree in memory that the input builds: directories, files, read-only
// entries, links to a directory outside the tree (marked as directories, as Windows does, or not,
// as POSIX does) and to a file there, files held by "another process", directories that cannot be
// listed or opened, and directories that are swapped for a link or a file just before they are
// opened. Checks besides the sanitizers: nothing outside the tree changes, a swapped directory
// (moved away) keeps all it held, exactly the entries that cannot go stay (held files, directories
// that cannot be read, and every directory above them), exactly those are reported with the
// directories that hold them, and run() says whether the tree is gone.
//
// Input: one operation per byte, on the directory the operations are in (first the tree's root).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/memory_file_system.h"
#include "tempfiles/tree_removal.h"

namespace {

using wiz::LString;
using wiztest::MemoryFileSystem;
using Node = MemoryFileSystem::Node;

constexpr size_t kMaxNodes = 256;
constexpr size_t kMaxDepth = 16;

enum class Swap { Link, File };

// Swaps the chosen directories just before they are opened; each goes to "moved/<n>".
class HostileFileSystem : public MemoryFileSystem {
public:
    wiz::SysStatus openChild(wiz::Directory& parent, const LString& name,
                             std::unique_ptr<wiz::Directory>& child,
                             uint32_t& attributes) override {
        const LString full = wiz::joinPath(parent.path(), name);
        auto swap = swaps.find(full.str());
        if (swap != swaps.end()) {
            const LString movedTo = path("moved/" + std::to_string(movedTo_.size()));
            if (!move(full, movedTo)) wizfuzz::finding("cannot move " + full.str());
            movedTo_[full.str()] = movedTo.str();
            if (swap->second == Swap::Link) {
                addLink(full, path("outside"), true);
            } else {
                addFile(full);
            }
            swaps.erase(swap);
        }
        return MemoryFileSystem::openChild(parent, name, child, attributes);
    }

    std::map<std::string, Swap> swaps;            // still to happen
    std::map<std::string, std::string> movedTo_;  // what happened: from, to
};

class Recording : public wiz::TreeRemoval {
public:
    using TreeRemoval::TreeRemoval;
    void failedToRemove(const LString& path, wiz::SysStatus error) override {
        if (error.ok()) wizfuzz::finding("a failure without an error: " + path.str());
        reported.insert(path.str());
    }
    void keptDirectory(const LString& path) override { kept.insert(path.str()); }
    std::set<std::string> reported, kept;
};

// What the removal must leave and say.
struct Expected {
    std::vector<std::string> lines;  // the picture of what stays
    std::set<std::string> reported;  // what cannot go: held files, directories not to be read
    std::set<std::string> kept;      // the directories that hold such a file or directory
};

// Adds what must stay of the node at `at` (inside `parent`); false when nothing of it stays.
bool expectedToStay(const HostileFileSystem& fs, const std::string& at, const std::string& parent,
                    const Node& node, bool isRoot, Expected& expected) {
    std::vector<std::string>& lines = expected.lines;
    switch (node.kind) {
        case Node::Kind::File:
            if (node.held) {
                lines.push_back("f " + at);
                expected.reported.insert(at);
                expected.kept.insert(parent);
            }
            return node.held;
        case Node::Kind::Link:
            return false;
        case Node::Kind::Directory:
            break;
    }
    if (!isRoot && fs.swaps.count(at) > 0) return false;  // the link or file put there goes
    if (node.unopenable || node.unlistable) {
        const std::vector<std::string> whole = fs.picture(LString(at));
        lines.insert(lines.end(), whole.begin(), whole.end());
        expected.reported.insert(at);
        // A directory that cannot be opened is an entry of its parent that stays; one that
        // cannot be listed is left by its own removal.
        if (node.unopenable && !isRoot) expected.kept.insert(parent);
        return true;
    }
    const size_t start = lines.size();
    bool any = false;
    for (const auto& child : node.children) {
        const std::string childAt = wiz::joinPath(LString(at), LString(child.first)).str();
        any |= expectedToStay(fs, childAt, at, *child.second, false, expected);
    }
    if (any) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(start), "d " + at);
    return any;
}

std::vector<std::string> sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The picture of a tree with its own path cut off the front of each line, so that a tree can be
// compared with itself after a move.
std::vector<std::string> relativePicture(const MemoryFileSystem& fs, const std::string& at) {
    std::vector<std::string> lines = fs.picture(LString(at));
    for (std::string& line : lines) {
        const size_t start = line.find(at);
        if (start != std::string::npos) line.erase(start, at.size());
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostileFileSystem fs;
    fs.addFile(MemoryFileSystem::path("outside/precious.txt"));
    fs.addDirectory(MemoryFileSystem::path("moved"));
    const std::string tree = MemoryFileSystem::path("tree").str();
    fs.addDirectory(LString(tree));

    std::vector<std::string> stack{tree};
    size_t nodes = 0;
    for (size_t i = 0; i < size && nodes < kMaxNodes; ++i) {
        const uint8_t op = data[i];
        const std::string& current = stack.back();
        const bool atRoot = stack.size() == 1;
        const LString name = LString(current) + wiz::kPathSeparator + std::to_string(nodes).c_str();
        Node& here = *fs.find(LString(current));
        switch (op % 12) {
            case 0:
                fs.addDirectory(name);
                ++nodes;
                if (stack.size() < kMaxDepth) stack.push_back(name.str());
                break;
            case 1:
                fs.addFile(name);
                ++nodes;
                break;
            case 2:
                fs.addFile(name)->held = true;
                ++nodes;
                break;
            case 3:
                fs.addFile(name)->readOnly = true;
                ++nodes;
                break;
            case 4:
                fs.addLink(name, MemoryFileSystem::path("outside"), (op / 12) % 2 == 0);
                ++nodes;
                break;
            case 5:
                fs.addLink(name, MemoryFileSystem::path("outside/precious.txt"), false);
                ++nodes;
                break;
            case 6:
                if (!atRoot) stack.pop_back();
                break;
            case 7:
            case 8:
                if (!atRoot) fs.swaps[current] = op % 12 == 7 ? Swap::Link : Swap::File;
                break;
            case 9:
                here.unlistable = true;
                break;
            case 10:
                here.unopenable = true;
                break;
            case 11:
                here.readOnly = true;
                break;
        }
    }

    const std::vector<std::string> outsideBefore = fs.picture(MemoryFileSystem::path("outside"));
    std::map<std::string, std::vector<std::string>> swappedBefore;
    for (const auto& swap : fs.swaps) swappedBefore[swap.first] = relativePicture(fs, swap.first);
    Expected expected;
    const bool stays =
        expectedToStay(fs, tree, std::string(), *fs.find(LString(tree)), true, expected);

    Recording removal(fs);
    const bool gone = removal.run(LString(tree));

    if (fs.picture(MemoryFileSystem::path("outside")) != outsideBefore) {
        wizfuzz::finding("something outside the tree changed");
    }
    for (const auto& moved : fs.movedTo_) {
        if (relativePicture(fs, moved.second) != swappedBefore[moved.first]) {
            wizfuzz::finding("the directory swapped away from " + moved.first + " changed");
        }
    }
    if (sorted(fs.picture(LString(tree))) != sorted(expected.lines)) {
        wizfuzz::finding("what stays of the tree is not what cannot go");
    }
    if (gone == stays) wizfuzz::finding("run() says the wrong thing about the tree");
    if (removal.reported != expected.reported) {
        wizfuzz::finding("the failures reported are not the entries that cannot go");
    }
    if (removal.kept != expected.kept) {
        wizfuzz::finding("the directories reported kept are not those that hold what stays");
    }
    return 0;
}
