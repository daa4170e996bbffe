#include "support/sitesimfixture.h"

namespace thornvale::test {

std::unique_ptr<sitesim::Server> StartSiteSim(sitesim::Options options)
{
    // Tests talk to loopback only, and an ephemeral port lets binaries run side by side.
    options.host = "127.0.0.1";
    options.port = 0;
    auto server = std::make_unique<sitesim::Server>(std::move(options));
    if (!server->start())
        return nullptr;
    return server;
}

} // namespace thornvale::test
