#include "jvm/jvm_descriptor.h"

namespace wiz {

// Deleting a descriptor never deletes its document.
JvmDescriptor::~JvmDescriptor() = default;

}  // namespace wiz
