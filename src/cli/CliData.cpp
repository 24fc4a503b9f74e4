// orvik-cli new, show and edit. (Being written.)
#include "cli/CliCommon.h"

#include <cstdio>

namespace orvik::cli {

const char* const DataCommandsUsage = "  new FILE.735 [--band POS]\n  show FILE.735 [--json]\n  edit FILE.735 ...\n";

int cmdNew(Context&) { std::fprintf(stderr, "not built yet\n"); return 70; }
int cmdShow(Context&) { std::fprintf(stderr, "not built yet\n"); return 70; }
int cmdEdit(Context&) { std::fprintf(stderr, "not built yet\n"); return 70; }

} // namespace orvik::cli
