#include "chart.h"

namespace m4 {} // namespace m4
