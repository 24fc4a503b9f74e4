// orvik-cli read and write. (Being written.)
#include "cli/CliCommon.h"

#include <cstdio>

namespace orvik::cli {

const char* const RadioCommandsUsage = "  read ...\n  write ...\n";

int cmdRead(Context&) { std::fprintf(stderr, "not built yet\n"); return 70; }
int cmdWrite(Context&) { std::fprintf(stderr, "not built yet\n"); return 70; }

} // namespace orvik::cli
