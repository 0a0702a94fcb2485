// The extract action: every embedded file and an "input.tag" into the current directory.
#pragma once

namespace wiz {

void extractAll();

}  // namespace wiz
