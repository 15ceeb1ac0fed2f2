#include "case_schema.h"

namespace m4 {
namespace {

constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {"ProjectName", "   工程名", FieldKind::Text, "Enter,Tab至洪水频率"},
    {"Frequency", "  洪水频率", FieldKind::Text, "Enter,Tab至水位~面积曲线结点数"},
    {"K", "水位~面积曲线结点数", FieldKind::Count, "Enter,Tab至水库水位面积表1行1列"},
    {"J", "   洪水过程时段数J", FieldKind::Count, "Enter,Tab至时段间隔 T(秒)"},
    {"T", "    时段间隔 T(秒)", FieldKind::Number, "Enter,Tab至洪水过程表1行1列"},
    {"ZM", "   防洪下限水位ZM", FieldKind::Number, "Enter,Tab至调洪起始水位Z0"},
    {"Z0", "   调洪起始水位Z0", FieldKind::Number, "Enter,Tab至泄洪起始流量Q0"},
    {"Q0", "    泄洪起始流量Q0", FieldKind::Number, "Enter,Tab至电站常流量W"},
    {"W", "       电站常流量W", FieldKind::Number, "Enter,Tab至下游限制泄量QA"},
    {"QA", "   下游限制泄量QA", FieldKind::Number, "Enter,Tab至泄洪洞个数GO"},
    {"G0", "     泄洪洞个数GO", FieldKind::Count, "Enter,Tab至泄洪洞参数表1行1列"},
    {"H0", "     溢洪道个数HO", FieldKind::Count, "Enter,Tab至溢洪道参数表1行1列"},
    {"KK1", "变宽变高泄流孔状况数KK1", FieldKind::Count, "Enter,Tab至变宽高泄流孔表1行1列"},
    {"KK0", "变宽溢洪道状况数KK0", FieldKind::Count, "Enter,Tab至变宽溢洪道表1行1列"},
    {"KK2", "泄流曲线结点数KK2", FieldKind::Count, "Enter,Tab至泄流曲线表1行1列"},
}};

constexpr std::array<TableInfo, kTableCount> kTables{{
    {"level-area", "水库水位面积", "NO |水库水位(米)|水面面积(万平方米)", 2, {"ZP", "F"}},
    {"hydrograph", "洪水过程", "NO |洪水过程QL(0~J)(立方米/秒)", 1, {"QL"}},
    {"tunnels",
     "泄洪洞参数",
     "NO |进口宽|进口高|进口底高程|流量系数|闸门宽|闸门高|闸门底高程|限泄流量",
     8,
     {"B1", "A1", "C1", "M11", "B11", "A11", "C11", "GM"}},
    {"spillways", "溢洪道参数", "NO |流量系数M2|底宽B2(米)|底高程C2(米)", 3, {"M2", "B2", "C2"}},
    {"variable orifices",
     "变宽高泄流孔",
     "NO |下限水位|上限水位|闸门宽|闸门开度|流量系数|闸底高程",
     6,
     {"ZZ1", "ZZ2", "BB", "AA", "MM", "VV"}},
    {"variable-width spillways",
     "变宽溢洪道",
     "NO |下限水位|上限水位|流量系数 |闸门宽度|闸底高程",
     5,
     {"ZZ3", "ZZ4", "MM", "DD", "EE"}},
    {"level-discharge", "泄流曲线", "NO |水位ZZ0  |泄流量QQ  ", 2, {"ZZ0", "QQ"}},
}};

constexpr std::array<SectionInfo, kSectionCount> kSections{{
    {0, 2, 0},
    {3, 4, 1},
    {5, 10, 2},
    {11, 11, 3},
    {12, 12, 4},
    {13, 13, 5},
    {14, 14, 6},
}};

// The hydrograph's count J is field 3, not the section's last field (T).
constexpr std::array<int, kTableCount> kCountFields{kFieldK,   kFieldJ,   kFieldG0, kFieldH0,
                                                    kFieldKK1, kFieldKK0, kFieldKK2};

static_assert(kGridLayout.size() == kTableCount);

} // namespace

const FieldInfo& fieldInfo(int field) {
    return kFields.at(static_cast<size_t>(field));
}
const TableInfo& tableInfo(int table) {
    return kTables.at(static_cast<size_t>(table));
}
const SectionInfo& sectionInfo(int section) {
    return kSections.at(static_cast<size_t>(section));
}

QString fieldCaption(int field) {
    return QString::fromUtf8(fieldInfo(field).caption);
}

int countFieldOf(int table) {
    return kCountFields.at(static_cast<size_t>(table));
}

int tableOfCountField(int field) {
    for (int d = 0; d < kTableCount; ++d)
        if (kCountFields[static_cast<size_t>(d)] == field) return d;
    return -1;
}

int rowNumberShown(int table, int dataRow) {
    return table == kHydrographTable ? dataRow - 1 : dataRow;
}

int rowsOfCount(int table, int count) {
    return table == kHydrographTable ? count + 1 : count;
}

int largestCount(int table) {
    switch (table) {
    case kTunnelTable:
        return kMaxTunnels;
    case kSpillwayTable:
        return kMaxSpillways;
    case kHydrographTable:
        return kMaxJ;
    default:
        return kMaxRows;
    }
}

} // namespace m4
