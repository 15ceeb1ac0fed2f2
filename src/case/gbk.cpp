#include "gbk.h"

namespace m4 {} // namespace m4
