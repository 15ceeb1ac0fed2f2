#pragma once
// Printing the report text.

namespace m4 {} // namespace m4
