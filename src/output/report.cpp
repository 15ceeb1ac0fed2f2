#include "report.h"

namespace m4 {} // namespace m4
