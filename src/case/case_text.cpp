#include "case_text.h"

namespace m4 {

void CaseText::resizeTable(int table, int n) {
    auto& t = tables.at(static_cast<size_t>(table));
    t.resize(static_cast<size_t>(n < 0 ? 0 : n),
             std::vector<QString>(static_cast<size_t>(tableInfo(table).columns)));
}

} // namespace m4
