// Every text the core gives a user. Each fault is worded in one switch, so the compiler
// (-Wswitch) refuses a fault without its text.

#include "messages.h"

#include "failure.h"

#include <QDir>

namespace m4 {
namespace {

/// Levels and areas as the user typed them: up to 15 significant digits, no trailing zeros.
QString numberText(double value) {
    return QString::number(value, 'g', 15);
}

/// Why a file could not be read or written.
QString causeText(const Failure& f) {
    switch (f.cause) {
    case FileCause::SystemReason:
        return f.text;
    case FileCause::FolderMissing:
        return QStringLiteral("文件夹%1不存在").arg(QDir::toNativeSeparators(f.text));
    case FileCause::IsFolder:
        return QStringLiteral("%1是一个文件夹").arg(QDir::toNativeSeparators(f.text));
    case FileCause::NoGbkForm:
        return QStringLiteral("字符“%1”无法用GBK编码").arg(f.text);
    case FileCause::EmptyImage:
        return QStringLiteral("图形为空");
    case FileCause::NotBmp:
        return QStringLiteral("BMP编码失败");
    }
    return {};
}

/// "G0=“2.5”": a count named with its text.
QString countText(const Failure& f) {
    return QString::fromUtf8(f.datum) + QStringLiteral("=“") + f.text + QStringLiteral("”");
}

QString messageOf(const Failure& f) {
    switch (f.fault) {
    case Fault::FileMissing:
        return QStringLiteral("找不到数据文件");
    case Fault::FileUnreadable:
        return QStringLiteral("无法读取数据文件：") + causeText(f);
    case Fault::FileTooLarge:
        return QStringLiteral("数据文件过大，不是本程序的数据文件");
    case Fault::NotGbk:
        return QStringLiteral("数据文件含有不是GBK编码的字节（第%1字节）").arg(f.number);
    case Fault::Utf8Bom:
        return QStringLiteral("数据文件是UTF-8编码，请存为GBK编码");
    case Fault::TooFewItems:
        return QStringLiteral("数据文件不对，数据个数少！");
    case Fault::NotANumber:
        return QStringLiteral("数据项“%1”不是数值").arg(f.text);
    case Fault::NotFinite:
        return QStringLiteral("数值“%1”超出范围").arg(f.text);
    case Fault::CountNotWhole:
        return countText(f) + QStringLiteral("不是非负整数");
    case Fault::CountTooLarge:
        return countText(f) + QStringLiteral("超过表格的最大行数32767");
    case Fault::TunnelsAbove10:
        return QStringLiteral("泄洪洞个数G0=%1超过10").arg(f.text);
    case Fault::SpillwaysAbove10:
        return QStringLiteral("溢洪道个数H0=%1超过10").arg(f.text);
    case Fault::StartOutsideCurve:
        return QStringLiteral("调洪起始水位Z0=%1不在水位~面积曲线范围内").arg(numberText(f.level));
    case Fault::CurveZeroWidth:
        return QStringLiteral("水位~面积曲线第%1、%2点水位相同（%3米），无法插值")
            .arg(f.number)
            .arg(f.number + 1)
            .arg(numberText(f.level));
    case Fault::AreaNotPositive:
        return QStringLiteral("水位%1米处面积为%2，水面面积必须大于零")
            .arg(numberText(f.level), numberText(f.area));
    case Fault::ResultNotFinite:
        return QStringLiteral("第%1时段的计算结果溢出，请检查数据").arg(f.number);
    case Fault::ReportNotWritten:
        return QStringLiteral("结果文件无法写入：") + causeText(f);
    case Fault::ChartNotWritten:
        return QStringLiteral("图形文件无法保存：") + causeText(f);
    case Fault::CsvNotWritten:
        return QStringLiteral("CSV文件无法写入：") + causeText(f);
    case Fault::ReportNotRead:
        return QStringLiteral("结果文件无法读取：") + causeText(f);
    case Fault::CaseNotWritten:
        return QStringLiteral("数据文件无法存盘：") + causeText(f);
    case Fault::NameHasSeparator:
        return QStringLiteral("文件名不能含有文件夹分隔符");
    case Fault::FolderMissing:
        return QStringLiteral("文件夹不存在");
    case Fault::BadRunName:
        return QStringLiteral("文件名%1不对！请查实").arg(f.text);
    }
    return {};
}

QString gapText(ChartGap gap) {
    switch (gap) {
    case ChartGap::NoPeriods:
        return QStringLiteral("时段数J为0，未画曲线");
    case ChartGap::FlatLevel:
        return QStringLiteral("最高水位等于防洪下限水位，未画水位曲线");
    case ChartGap::FlatDischarge:
        return QStringLiteral("流量无变化，未画流量曲线");
    }
    return {};
}

} // namespace

QString describe(const Failure& failure) {
    QString text = messageOf(failure);
    if (!failure.file.isEmpty()) {
        text += QStringLiteral("\n文件：") + failure.file;
        if (failure.line > 0) text += QStringLiteral("，第%1行").arg(failure.line);
    }
    return text;
}

QString runSavedStatus(const QString& base, const std::vector<ChartGap>& gaps) {
    QString text = QStringLiteral("结果文件") + base + QStringLiteral(".out/bmp已存盘");
    if (gaps.empty()) return text;
    text += QStringLiteral("（");
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        if (i > 0) text += QStringLiteral("；");
        text += gapText(gaps[i]);
    }
    return text + QStringLiteral("）");
}

} // namespace m4
