#include "jvm/jvm_searcher.h"

namespace wiz {

JvmDescriptor& JvmSearcher::registerDescriptor(std::unique_ptr<JvmDescriptor> descriptor) {
    return *descriptors_.appendOwned(std::move(descriptor));
}

}  // namespace wiz
