// Every text the core gives a user, in one table.

#include "failure.h"

#include <array>
#include <utility>

namespace m4 {
namespace {

// "%1" stands for the failure's detail.
constexpr std::array<std::pair<Fault, const char*>, 37> kMessages{{
    {Fault::FileMissing, "找不到数据文件"},
    {Fault::FileUnreadable, "无法读取数据文件：%1"},
    {Fault::FileTooLarge, "数据文件过大，不是本程序的数据文件"},
    {Fault::NotGbk, "数据文件含有不是GBK编码的字节（第%1字节）"},
    {Fault::Utf8Bom, "数据文件是UTF-8编码，请存为GBK编码"},
    {Fault::TooFewItems, "数据文件不对，数据个数少！"},
    {Fault::NotANumber, "数据项“%1”不是数值"},
    {Fault::NotFinite, "数值“%1”超出范围"},
    {Fault::CountNotWhole, "%1不是非负整数"},
    {Fault::CountTooLarge, "%1超过表格的最大行数32767"},
    {Fault::TunnelsAbove10, "泄洪洞个数G0=%1超过10"},
    {Fault::SpillwaysAbove10, "溢洪道个数H0=%1超过10"},
    {Fault::StartOutsideCurve, "调洪起始水位Z0=%1不在水位~面积曲线范围内"},
    {Fault::CurveZeroWidth, "水位~面积曲线%1，无法插值"},
    {Fault::AreaNotPositive, "%1，水面面积必须大于零"},
    {Fault::ResultNotFinite, "第%1时段的计算结果溢出，请检查数据"},
    {Fault::ReportNotWritten, "结果文件无法写入：%1"},
    {Fault::ChartNotWritten, "图形文件无法保存：%1"},
    {Fault::CsvNotWritten, "CSV文件无法写入：%1"},
    {Fault::ReportNotRead, "结果文件无法读取：%1"},
    {Fault::CaseNotWritten, "数据文件无法存盘：%1"},
    {Fault::NameHasSeparator, "文件名不能含有文件夹分隔符"},
    {Fault::FolderMissing, "文件夹不存在"},
    {Fault::BadRunName, "文件名%1不对！请查实"},
    {Fault::JTooLarge, "洪水过程时段数%1超过上限32766（过程线最多32767行）"},
    {Fault::RowsDisagree, "个数与表格行数不符：%1"},
    {Fault::ItemsOnLine, "本行数据个数不对：%1"},
    {Fault::TrailingLines, "此行起的内容不属于任何数据项，计算时不读"},
    {Fault::LevelsNotIncreasing, "水位没有逐点升高：%1"},
    {Fault::LevelRepeated, "水位重复：%1"},
    {Fault::CurveTooShort, "水位~面积曲线少于2个结点，无法插值"},
    {Fault::StatesOverlap, "状况的水位范围重叠：%1"},
    {Fault::StatesGap, "状况的水位范围有空缺：%1"},
    {Fault::StateEmpty, "状况永不适用：%1"},
    {Fault::OutletAboveCurve, "泄流设施在水位~面积曲线范围内不泄流：%1"},
    {Fault::QaBelowW, "下游限制泄量小于电站常流量：%1"},
    {Fault::PeriodNotPositive, "时段间隔T=%1不是正数"},
}};

QString messageOf(Fault fault) {
    for (const auto& [f, text] : kMessages)
        if (f == fault) return QString::fromUtf8(text);
    return QStringLiteral("未知错误");
}

} // namespace

QString describe(const Failure& failure) {
    QString text = messageOf(failure.fault);
    if (text.contains(QLatin1String("%1"))) text = text.arg(failure.detail);
    if (!failure.file.isEmpty()) {
        text += QStringLiteral("\n文件：") + failure.file;
        if (failure.line > 0) text += QStringLiteral("，第%1行").arg(failure.line);
    }
    return text;
}

} // namespace m4
