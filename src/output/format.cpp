#include "format.h"

namespace m4 {} // namespace m4
