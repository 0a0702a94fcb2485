// The resources of a Windows executable, read from and written back into its bytes without any
// tool of the system: the PE headers and section table are read, the resource tree is parsed
// into a flat list, and the rewritten tree goes into a new section at the end of the image. The
// same bytes come out on every host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizpack {

using Bytes = std::vector<uint8_t>;

// A resource type or name: a number, or a string (UTF-16) when `text` is not empty.
struct ResourceKey {
    uint32_t id = 0;
    std::u16string text;
    bool operator==(const ResourceKey& o) const { return id == o.id && text == o.text; }
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    Bytes data;
};

// Standard resource types.
enum : uint32_t {
    kRtIcon = 3,
    kRtString = 6,
    kRtGroupIcon = 14,
    kRtVersion = 16,
    kRtManifest = 24,
};

// A PE image whose resources can be rewritten. Refusals come as PackError with a message that
// says why the executable cannot be rewritten.
class PeResources {
public:
    // Reads the headers and the resource tree of `image` (the whole executable).
    explicit PeResources(Bytes image);

    std::vector<Resource>& resources() { return resources_; }
    const std::vector<Resource>& resources() const { return resources_; }
    // The first resource of this type and name (any language); null when there is none.
    Resource* find(uint32_t type, uint32_t name);
    // Removes every resource of the type (and name, unless `anyName`).
    void remove(uint32_t type, uint32_t name, bool anyName = false);

    // The executable with the resources as they are now: the tree goes into a new section
    // ".rsrc" at the end of the image, the old resource section keeps its place under the name
    // ".rsrc0"; the resource directory entry, SizeOfImage, SizeOfInitializedData and the
    // checksum (left 0 where it was 0) are set as the linker sets them.
    Bytes write() const;

private:
    Bytes image_;
    std::vector<Resource> resources_;
    bool pe32Plus_ = false;
    uint32_t peOffset_ = 0;
    uint32_t optionalOffset_ = 0;
    uint32_t sectionTable_ = 0;
    uint16_t sectionCount_ = 0;
    uint32_t resourceSection_ = 0;  // index of the section that holds the tree
};

// The PE checksum of `image` as the linker computes it (the field itself at `fieldOffset`
// counts as 0).
uint32_t peChecksum(const Bytes& image, uint32_t fieldOffset);

// The bytes of a resource tree that starts at `baseRva`, entries sorted as the format requires.
Bytes buildResourceTree(std::vector<Resource> resources, uint32_t baseRva);

// UTF-8 to UTF-16 (refuses malformed UTF-8 with PackError naming `what`).
std::u16string utf16(const std::string& text, const std::string& what);

}  // namespace wizpack
