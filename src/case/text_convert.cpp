#include "text_convert.h"

namespace m4 {} // namespace m4
