#include "printing.h"
#include "vemoM4.h"

namespace m4 {

void vemoM4::PrintResults() {}

} // namespace m4
