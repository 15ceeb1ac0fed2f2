#include "vemoM4.h"

namespace m4 {

void vemoM4::Text3_KeyPress(int, int) {}
void vemoM4::MSFlexGrid1_Click(int) {}
void vemoM4::MSFlexGrid1_EnterCell(int) {}
void vemoM4::MSFlexGrid1_LeaveCell(int) {}
void vemoM4::SSTab1_Click(int) {}
void vemoM4::Text2_KeyPress(int) {}
void vemoM4::NextCell(int, int, int) {}
void vemoM4::GoToTable(int) {}
bool vemoM4::confirmCount(int) {
    return true;
}
void vemoM4::commitEditor() {}
void vemoM4::hideEditor(bool) {}
void vemoM4::focusField(int) {}

} // namespace m4
