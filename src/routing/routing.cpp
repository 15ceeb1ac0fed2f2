#include "routing.h"

namespace m4 {} // namespace m4
