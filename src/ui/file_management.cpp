#include "vemoM4.h"

namespace m4 {

void vemoM4::SelectListedFile() {}
void vemoM4::File1_Click() {}
void vemoM4::File1_DblClick() {}
void vemoM4::Drive1_Change() {}
void vemoM4::Dir1_Change() {}
void vemoM4::SaveCase() {}

} // namespace m4
