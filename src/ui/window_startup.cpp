#include "vemoM4.h"

namespace m4 {

bool vemoM4::Form_Load() {
    return true;
}
bool vemoM4::loadStartupFiles() {
    return true;
}
void vemoM4::centreOnScreen() {}
void vemoM4::Form_Resize() {}
void vemoM4::Form_QueryUnload() {}

} // namespace m4
