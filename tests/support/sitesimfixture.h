#pragma once

#include <memory>

#include "site-sim/sitesim.h"

namespace thornvale::test {

// A site-sim serving on 127.0.0.1 on a port of its own choosing. Null when it cannot start; it
// stops when the pointer goes.
std::unique_ptr<sitesim::Server> StartSiteSim(sitesim::Options options = {});

} // namespace thornvale::test
