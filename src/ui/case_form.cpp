#include "vemoM4.h"

namespace m4 {

void vemoM4::NewdataForm() {}
void vemoM4::ClearForm() {}
void vemoM4::Text12_KeyPress(int) {}
void vemoM4::Text12_Change() {}
void vemoM4::Text12_LostFocus() {}

} // namespace m4
