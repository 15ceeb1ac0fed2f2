#include "vemoM4.h"

namespace m4 {

void vemoM4::SetupCommands() {}
void vemoM4::RunCase() {}
void vemoM4::ShowReport() {}
void vemoM4::Toolbar1_ButtonClick(const QString&, const QString&) {}
void vemoM4::MnuItem_Click(int) {}
void vemoM4::AreaMouseUp(int, QPoint) {}
void vemoM4::EndProgram() {}

} // namespace m4
