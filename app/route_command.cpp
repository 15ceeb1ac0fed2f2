#include "route_command.h"

namespace m4 {

int routeCommand(int, char**) { return 1; }

} // namespace m4
