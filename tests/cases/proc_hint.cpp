// wizhint LOGDIR HINT...: resolves each platform hint and prints one line per hint:
//   "TEXT:<text>" for a result, "NONE" for no result, "ERROR:<message>" for a LauncherException.
// The warnings of hint number N (from 1) go to the log file LOGDIR/N.log.
// wizhint --reason CODE: prints the reason the log gives for registry error CODE.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/exceptions.h"
#include "jvm/platform_hint.h"
#include "platform/path.h"
#include "platform/registry.h"
#include "services/log.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: wizhint LOGDIR HINT... | wizhint --reason CODE\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--reason") == 0 && argc == 3) {
        std::printf("%s\n", wiz::registryErrorText(std::strtoul(argv[2], nullptr, 10)).c_str());
        return 0;
    }
    for (int i = 2; i < argc; ++i) {
        wiz::logState().filePath = wiz::LString(argv[1]) + wiz::kPathSeparator +
                                   wiz::LString(std::to_string(i - 1) + ".log");
        wiz::StringList result;
        try {
            wiz::resolvePlatformHint(result, argv[i]);
            if (result.count() == 0) {
                std::printf("NONE\n");
            } else {
                std::printf("TEXT:%s\n", result.at(0).c_str());
            }
        } catch (const wiz::LauncherException& e) {
            std::printf("ERROR:%s\n", e.message().c_str());
        }
    }
    return 0;
}
