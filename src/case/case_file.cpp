#include "case_file.h"

namespace m4 {} // namespace m4
