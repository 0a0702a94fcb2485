// A file system in memory for the algorithms of src/tempfiles, so that the sanitizers and the
// fuzzer run them over trees no real disk would give: directories, files and links, with entries
// that cannot be removed (held by "another process"), read-only entries, directories that cannot
// be listed or opened, and directories that belong to somebody else.
//
// It is as strict as the strictest system: an entry goes only with the call for its kind (the
// directory call for a directory or a link to one, the file call for anything else), a read-only
// entry only when the caller says so (the remove call then clears the flag, but never a link's),
// a directory only when it is empty. A link found in the middle of a path is followed, as a
// system would; the calls on an open directory act on the directory that was opened, wherever it
// has been moved since.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/lstring.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system_error.h"

namespace wiztest {

class MemoryFileSystem : public wiz::FileSystem {
public:
    struct Node {
        enum class Kind { File, Directory, Link };
        Kind kind = Kind::File;
        std::map<std::string, std::shared_ptr<Node>> children;  // of a directory
        std::string target;                                     // of a link: the path it leads to
        bool toDirectory = false;  // a link to a directory (which Windows marks as one)
        bool readOnly = false;
        bool held = false;        // removal fails, as if another process held it open
        bool unlistable = false;  // listing fails
        bool unopenable = false;  // opening fails
        bool othersOwn = false;   // belongs to somebody else
    };
    using NodePtr = std::shared_ptr<Node>;

    MemoryFileSystem() : root_(std::make_shared<Node>()) { root_->kind = Node::Kind::Directory; }

    // The path of the root directory; every path of this file system starts with it.
    static wiz::LString root() { return wiz::pathSeparator() + "mem"; }
    // A path below the root, written with slashes ("tree/a/b").
    static wiz::LString path(const std::string& relative) {
        wiz::LString p = root();
        if (!relative.empty()) p += wiz::kPathSeparator;
        for (char c : relative) p += c == '/' ? wiz::kPathSeparator : c;
        return p;
    }

    // Building: each makes what is missing of the parent directories too; the node is returned
    // so that its flags can be set.
    NodePtr addDirectory(const wiz::LString& at) { return add(at, Node::Kind::Directory); }
    NodePtr addFile(const wiz::LString& at) { return add(at, Node::Kind::File); }
    NodePtr addLink(const wiz::LString& at, const wiz::LString& target, bool toDirectory) {
        NodePtr link = add(at, Node::Kind::Link);
        link->target = target.str();
        link->toDirectory = toDirectory;
        return link;
    }
    // The node at `at` itself (a final link not followed); null when there is none.
    NodePtr find(const wiz::LString& at) const {
        NodePtr parent;
        std::string name;
        return locate(at, parent, name);
    }
    // Moves the node at `from` to `to` (whose parent must exist), as a rename.
    bool move(const wiz::LString& from, const wiz::LString& to) {
        NodePtr fromParent, toParent;
        std::string fromName, toName;
        NodePtr node = locate(from, fromParent, fromName);
        locate(to, toParent, toName);
        if (!node || !toParent || toParent->kind != Node::Kind::Directory) return false;
        fromParent->children.erase(fromName);
        toParent->children[toName] = node;
        return true;
    }
    // Every path below `at` (itself included) with a letter for its kind (d, f, l) and the target
    // of links, in order: a picture of a tree to compare before and after.
    std::vector<std::string> picture(const wiz::LString& at) const {
        std::vector<std::string> lines;
        NodePtr node = find(at);
        if (node) draw(at.str(), *node, lines);
        return lines;
    }

    // The names uniqueTempName hands out, in this order; after them "<prefix><n>.tmp".
    std::vector<std::string> tempNames;

    wiz::SysStatus readAttributes(const wiz::LString& at, uint32_t& attributes) override {
        NodePtr node = find(at);
        if (!node) return notFound();
        attributes = attributesOf(*node);
        return wiz::SysStatus();
    }
    wiz::SysStatus removeEntry(const wiz::LString& at, uint32_t attributes) override {
        NodePtr parent;
        std::string name;
        locate(at, parent, name);
        if (!parent) return notFound();
        return removeFrom(*parent, name, attributes);
    }
    wiz::SysStatus openDirectory(const wiz::LString& at, std::unique_ptr<wiz::Directory>& directory,
                                 uint32_t& attributes) override {
        NodePtr node = find(at);
        if (!node) return notFound();
        return open(node, at, directory, attributes);
    }
    wiz::SysStatus uniqueTempName(const wiz::LString& directory, const char* prefix,
                                  wiz::LString& name) override {
        if (next_ < tempNames.size()) {
            name = joinUnder(directory, wiz::LString(tempNames[next_++]));
            return wiz::SysStatus();
        }
        char number[32];
        std::snprintf(number, sizeof number, "%s%X.tmp", prefix, static_cast<unsigned>(next_++));
        name = joinUnder(directory, wiz::LString(number));
        return wiz::SysStatus();
    }
    wiz::SysStatus makeDirectory(const wiz::LString& at) override {
        NodePtr parent;
        std::string name;
        NodePtr existing = locate(at, parent, name);
        if (existing) return wiz::SysStatus::of(wiz::ErrorKind::Exists);
        if (!parent || parent->kind != Node::Kind::Directory) return notFound();
        NodePtr made = std::make_shared<Node>();
        made->kind = Node::Kind::Directory;
        parent->children[name] = made;
        return wiz::SysStatus();
    }
    bool isOwnDirectory(const wiz::LString& at) override {
        NodePtr node = find(at);
        return node && node->kind == Node::Kind::Directory && !node->othersOwn;
    }

private:
    class MemoryDirectory : public wiz::Directory {
    public:
        MemoryDirectory(MemoryFileSystem& fs, NodePtr node, const wiz::LString& at)
            : Directory(at), fs_(fs), node_(std::move(node)) {}

        wiz::SysStatus list(std::vector<wiz::DirectoryEntry>& entries) override {
            if (node_->unlistable) return wiz::SysStatus::of(wiz::ErrorKind::AccessDenied);
            for (const auto& child : node_->children) {
                wiz::DirectoryEntry entry;
                entry.name = wiz::LString(child.first);
                entry.attributes = attributesOf(*child.second);
                entries.push_back(entry);
            }
            return wiz::SysStatus();
        }
        wiz::SysStatus openChild(const wiz::LString& name, std::unique_ptr<wiz::Directory>& child,
                                 uint32_t& attributes) override {
            auto found = node_->children.find(name.str());
            if (found == node_->children.end()) return notFound();
            return fs_.open(found->second, wiz::joinPath(path(), name), child, attributes);
        }
        wiz::SysStatus removeChild(const wiz::LString& name, uint32_t attributes) override {
            return removeFrom(*node_, name.str(), attributes);
        }
        wiz::SysStatus makeChild(const wiz::LString& name,
                                 std::unique_ptr<wiz::Directory>& child) override {
            if (node_->children.count(name.str()))
                return wiz::SysStatus::of(wiz::ErrorKind::Exists);
            NodePtr made = std::make_shared<Node>();
            made->kind = Node::Kind::Directory;
            node_->children[name.str()] = made;
            uint32_t attributes = 0;
            return fs_.open(made, wiz::joinPath(path(), name), child, attributes);
        }
        // Files here hold no contents: nothing can be written into one.
        wiz::FilePtr createFile(const wiz::LString&, bool, bool, bool& isLink,
                                uint32_t& error) override {
            isLink = false;
            error = EACCES;
            return nullptr;
        }

    private:
        MemoryFileSystem& fs_;
        NodePtr node_;
    };

    static wiz::SysStatus notFound() { return wiz::SysStatus::of(wiz::ErrorKind::NotFound); }

    static wiz::LString joinUnder(const wiz::LString& directory, const wiz::LString& name) {
        return wiz::joinPath(directory, name);
    }

    static uint32_t attributesOf(const Node& node) {
        uint32_t attributes = node.readOnly ? wiz::kAttrReadOnly : 0;
        if (node.kind == Node::Kind::Directory) attributes |= wiz::kAttrDirectory;
        if (node.kind == Node::Kind::Link) {
            attributes |= wiz::kAttrLink;
            if (node.toDirectory) attributes |= wiz::kAttrDirectory;
        }
        return attributes;
    }

    wiz::SysStatus open(const NodePtr& node, const wiz::LString& at,
                        std::unique_ptr<wiz::Directory>& directory, uint32_t& attributes) {
        if (node->kind == Node::Kind::Directory && node->unopenable) {
            return wiz::SysStatus::of(wiz::ErrorKind::AccessDenied);
        }
        attributes = attributesOf(*node);
        if (node->kind == Node::Kind::Directory)
            directory.reset(new MemoryDirectory(*this, node, at));
        return wiz::SysStatus();
    }

    static wiz::SysStatus removeFrom(Node& parent, const std::string& name, uint32_t attributes) {
        auto found = parent.children.find(name);
        if (found == parent.children.end()) return notFound();
        Node& node = *found->second;
        if (node.held) return wiz::SysStatus::of(wiz::ErrorKind::SharingViolation);
        const bool directoryCall = (attributes & wiz::kAttrDirectory) != 0;
        const bool directoryLike = node.kind == Node::Kind::Directory ||
                                   (node.kind == Node::Kind::Link && node.toDirectory);
        if (directoryCall != directoryLike) return wiz::SysStatus::of(wiz::ErrorKind::AccessDenied);
        if ((attributes & wiz::kAttrReadOnly) && node.kind != Node::Kind::Link)
            node.readOnly = false;
        if (node.readOnly) return wiz::SysStatus::of(wiz::ErrorKind::AccessDenied);
        if (node.kind == Node::Kind::Directory && !node.children.empty()) {
            return wiz::SysStatus::of(wiz::ErrorKind::Other);  // not empty
        }
        parent.children.erase(found);
        return wiz::SysStatus();
    }

    // The components of `at` below the root; false when it does not start with the root.
    static bool split(const wiz::LString& at, std::vector<std::string>& parts) {
        const wiz::LString start = root();
        if (at.str().compare(0, start.length(), start.str()) != 0) return false;
        std::string current;
        for (wiz::LString::size_type i = start.length(); i < at.length(); ++i) {
            if (wiz::isPathSeparator(at[i])) {
                if (!current.empty()) parts.push_back(current);
                current.clear();
            } else {
                current += at[i];
            }
        }
        if (!current.empty()) parts.push_back(current);
        return at.length() == start.length() || wiz::isPathSeparator(at[start.length()]);
    }

    // The node at `at` (null when missing), its parent directory (null when that is missing) and
    // its name there. Links in the middle of the path are followed, at most 8 of them in a row.
    NodePtr locate(const wiz::LString& at, NodePtr& parent, std::string& name,
                   int links = 0) const {
        parent.reset();
        name.clear();
        std::vector<std::string> parts;
        if (!split(at, parts) || links > 8) return nullptr;
        if (parts.empty()) return root_;
        NodePtr directory = root_;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            auto found = directory->children.find(parts[i]);
            if (found == directory->children.end()) return nullptr;
            NodePtr next = found->second;
            if (next->kind == Node::Kind::Link) {
                NodePtr ignoredParent;
                std::string ignoredName;
                next = locate(wiz::LString(next->target), ignoredParent, ignoredName, links + 1);
                if (!next) return nullptr;
            }
            if (next->kind != Node::Kind::Directory) return nullptr;
            directory = next;
        }
        parent = directory;
        name = parts.back();
        auto found = directory->children.find(name);
        return found == directory->children.end() ? nullptr : found->second;
    }

    NodePtr add(const wiz::LString& at, Node::Kind kind) {
        std::vector<std::string> parts;
        split(at, parts);
        if (parts.empty()) return root_;
        NodePtr directory = root_;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            NodePtr& next = directory->children[parts[i]];
            if (!next) {
                next = std::make_shared<Node>();
                next->kind = Node::Kind::Directory;
            }
            directory = next;
        }
        NodePtr node = std::make_shared<Node>();
        node->kind = kind;
        directory->children[parts.back()] = node;
        return node;
    }

    static void draw(const std::string& at, const Node& node, std::vector<std::string>& lines) {
        switch (node.kind) {
            case Node::Kind::File:
                lines.push_back("f " + at);
                break;
            case Node::Kind::Link:
                lines.push_back("l " + at + " -> " + node.target);
                break;
            case Node::Kind::Directory:
                lines.push_back("d " + at);
                for (const auto& child : node.children) {
                    draw(wiz::joinPath(wiz::LString(at), wiz::LString(child.first)).str(),
                         *child.second, lines);
                }
                break;
        }
    }

    NodePtr root_;
    size_t next_ = 0;
};

}  // namespace wiztest
