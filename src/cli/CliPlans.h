#pragma once
// orvik-cli import --plan: the channels of a channel plan into a data file.

#include "cli/CliCommon.h"

#include <string>

namespace orvik::cli {

struct PlanImportRequest {
    std::string plan;      // the plan's id
    std::string pick;      // "1-8,12": plan channel numbers; empty: all
    std::string from;      // the first channel to fill; empty: the free channels
    std::string tone;      // one tone for all ("88.5", "D023N"); empty: the plan's
    bool renumber = false; // from channel 1
    bool replaceAll = false, dryRun = false, json = false, force = false;
};

int cmdImportPlan(Context& ctx, const PlanImportRequest& request);

} // namespace orvik::cli
