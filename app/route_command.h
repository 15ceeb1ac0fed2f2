#pragma once

namespace m4 {

/// m4 route [--csv] [--chart-size WxH] CASE.INT [CASE.INT ...]
int routeCommand(int argc, char** argv);

} // namespace m4
