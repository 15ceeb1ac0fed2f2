#include "file_names.h"

namespace m4 {} // namespace m4
