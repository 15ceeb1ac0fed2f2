#include "case_run.h"

namespace m4 {} // namespace m4
