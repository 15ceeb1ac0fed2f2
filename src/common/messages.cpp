// Every text the core gives a user. Every fault goes through one switch, so the compiler
// (-Wswitch) refuses a fault without its text; the faults only a check of a case finds are
// worded in a second switch of their own.

#include "messages.h"

#include "failure.h"
#include "number_text.h"

#include <QDir>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace m4 {
namespace {

/// Levels and areas that routing looked up: up to 15 significant digits, no trailing zeros.
QString numberText(double value) {
    return QString::number(value, 'g', 15);
}

/// A value a check names, as the window's cell shows it.
QString valueText(const Failure& f, std::size_t i) {
    return cellText(f.values.at(i));
}

QString placeText(const Failure& f) {
    return QString::fromUtf8(f.place);
}

QString edgeText(OutletEdge edge) {
    switch (edge) {
    case OutletEdge::TunnelInlet:
        return QStringLiteral("进口底高程");
    case OutletEdge::SpillwayCrest:
        return QStringLiteral("底高程");
    case OutletEdge::OrificeTop:
        return QStringLiteral("闸门顶高程（闸底高程加开度）");
    case OutletEdge::GateSill:
        return QStringLiteral("闸底高程");
    }
    return {};
}

/// The system's reason for a failed call, by its errno.
QString systemErrorText(int error) {
    switch (error) {
    case 0:
        return QStringLiteral("系统只写入了一部分，没有说明原因");
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case EACCES:
        return QStringLiteral("没有访问权限");
    case EPERM:
        return QStringLiteral("操作不被允许");
    case EROFS:
        return QStringLiteral("文件系统是只读的");
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EFBIG:
        return QStringLiteral("文件超过允许的大小");
    case ENAMETOOLONG:
        return QStringLiteral("文件名或路径过长");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR:
        return QStringLiteral("是一个文件夹");
    case ELOOP:
        return QStringLiteral("符号链接太多或成环");
    case EIO:
        return QStringLiteral("输入/输出错误（磁盘或设备故障）");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("文件正被使用");
    case EXDEV:
        return QStringLiteral("不能跨文件系统改名");
    case EEXIST:
        return QStringLiteral("文件已存在");
    case ESTALE:
        return QStringLiteral("网络文件已失效");
    case ETIMEDOUT:
        return QStringLiteral("连接超时");
    default:
        return QStringLiteral("系统错误（错误号%1）").arg(error);
    }
}

QString fileTypeText(int type) {
    switch (type) {
    case S_IFIFO:
        return QStringLiteral("命名管道");
    case S_IFCHR:
        return QStringLiteral("字符设备");
    case S_IFBLK:
        return QStringLiteral("块设备");
    case S_IFSOCK:
        return QStringLiteral("套接字");
    default:
        return QStringLiteral("特殊文件");
    }
}

/// Why a file could not be read or written.
QString causeText(const Failure& f) {
    const QString reason = systemErrorText(f.error);
    switch (f.cause) {
    case FileCause::SystemReason:
        return f.text;
    case FileCause::FolderMissing:
        return QStringLiteral("文件夹%1不存在").arg(QDir::toNativeSeparators(f.text));
    case FileCause::IsFolder:
        return QStringLiteral("%1是一个文件夹").arg(QDir::toNativeSeparators(f.text));
    case FileCause::NotRegular:
        return QStringLiteral("不是普通文件，而是%1").arg(fileTypeText(f.number));
    case FileCause::NoGbkForm:
        return QStringLiteral("字符“%1”无法用GBK编码").arg(f.text);
    case FileCause::EmptyImage:
        return QStringLiteral("图形为空");
    case FileCause::NotBmp:
        return QStringLiteral("BMP编码失败");
    case FileCause::AccessFailed:
        return QStringLiteral("无法访问，") + reason;
    case FileCause::ReadFailed:
        return QStringLiteral("读取出错，") + reason;
    case FileCause::CreateFailed:
        return QStringLiteral("无法在文件夹中建立临时文件，") + reason;
    case FileCause::WriteFailed:
        return QStringLiteral("写入出错，") + reason + QStringLiteral("，原文件未变");
    case FileCause::SyncFailed:
        return QStringLiteral("未能存入磁盘，") + reason + QStringLiteral("，原文件未变");
    case FileCause::ReplaceFailed:
        return QStringLiteral("新文件未能替换原文件，") + reason + QStringLiteral("，原文件未变");
    case FileCause::FolderSyncFailed:
        return QStringLiteral("文件已替换，但文件夹的更新未能存入磁盘，") + reason;
    }
    return {};
}

/// "G0=“2.5”": a count named with its text.
QString countText(const Failure& f) {
    return QString::fromUtf8(f.datum) + QStringLiteral("=“") + f.text + QStringLiteral("”");
}

/// "变宽高泄流孔第1行（106~109）与第2行（108~111）在水位108~109重叠，计算取第2行".
QString overlapText(const Failure& f) {
    return QStringLiteral("%1第%2行（%3~%4）与第%5行（%6~%7）在水位%8~%9重叠，")
               .arg(placeText(f))
               .arg(f.number)
               .arg(valueText(f, 0), valueText(f, 1))
               .arg(f.other)
               .arg(valueText(f, 2), valueText(f, 3), cellText(std::max(f.values[0], f.values[2])),
                    cellText(std::min(f.values[1], f.values[3]))) +
           QStringLiteral("计算取第%1行").arg(f.other);
}

/// What checking a case finds beyond the faults that stop a run. messageOf sends only these
/// faults here.
QString checkMessageOf(const Failure& f) {
    switch (f.fault) {
    case Fault::RowsDisagree:
        return QStringLiteral("个数与表格行数不符：%1=%2，%3应有%4行，实有%5行")
            .arg(QString::fromUtf8(f.datum), QString::number(f.number), placeText(f))
            .arg(f.wanted)
            .arg(f.found);
    case Fault::FieldItems:
        return QStringLiteral("本行数据个数不对：%1应为%2个数据，实有%3个")
            .arg(placeText(f).trimmed())
            .arg(f.wanted)
            .arg(f.found);
    case Fault::RowItems:
        return QStringLiteral("本行数据个数不对：%1第%2行应有%3个数据，实有%4个")
            .arg(placeText(f))
            .arg(f.number)
            .arg(f.wanted)
            .arg(f.found);
    case Fault::TrailingLines:
        return QStringLiteral("此行起的内容不属于任何数据项，计算时不读");
    case Fault::LevelsNotIncreasing:
        return QStringLiteral("水位没有逐点升高：%1第%2点水位%3低于第%4点水位%5")
            .arg(placeText(f))
            .arg(f.number)
            .arg(valueText(f, 0))
            .arg(f.other)
            .arg(valueText(f, 1));
    case Fault::LevelRepeated:
        return QStringLiteral("水位重复：%1第%2点与第%3点水位同为%4")
            .arg(placeText(f))
            .arg(f.number)
            .arg(f.other)
            .arg(valueText(f, 0));
    case Fault::CurveTooShort:
        return QStringLiteral("水位~面积曲线少于2个结点，无法插值");
    case Fault::StatesOverlap:
        return QStringLiteral("状况的水位范围重叠：") + overlapText(f);
    case Fault::StatesGap:
        return QStringLiteral("状况的水位范围有空缺：%1在水位%2~%3之间没有适用的状况，此间不泄流")
            .arg(placeText(f), valueText(f, 0), valueText(f, 1));
    case Fault::StateEmpty:
        return QStringLiteral("状况永不适用：%1第%2行下限水位%3不低于上限水位%4")
            .arg(placeText(f))
            .arg(f.number)
            .arg(valueText(f, 0), valueText(f, 1));
    case Fault::OutletAboveCurve:
        return QStringLiteral(
                   "泄流设施在水位~面积曲线范围内不泄流：%1第%2行%3%4不低于曲线最高水位%5")
            .arg(placeText(f))
            .arg(f.number)
            .arg(edgeText(f.edge), valueText(f, 0), valueText(f, 1));
    case Fault::QaBelowW:
        return QStringLiteral("下游限制泄量小于电站常流量：QA=%1，W=%2")
            .arg(valueText(f, 0), valueText(f, 1));
    case Fault::PeriodNotPositive:
        return QStringLiteral("时段间隔T=%1不是正数").arg(valueText(f, 0));
    default:
        return {};
    }
}

/// The area of a point of the curve, or the area looked up at a level.
QString areaText(const Failure& f) {
    if (f.number > 0)
        return QStringLiteral("%1第%2点面积为%3")
            .arg(placeText(f))
            .arg(f.number)
            .arg(cellText(f.area));
    return QStringLiteral("水位%1米处面积为%2").arg(numberText(f.level), numberText(f.area));
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
    case Fault::JTooLarge:
        return QStringLiteral("洪水过程时段数") + countText(f) +
               QStringLiteral("超过上限32766（过程线最多32767行）");
    case Fault::TunnelsAbove10:
        return QStringLiteral("泄洪洞个数G0=%1超过10").arg(f.text);
    case Fault::SpillwaysAbove10:
        return QStringLiteral("溢洪道个数H0=%1超过10").arg(f.text);
    case Fault::LastItemUnended:
        return QStringLiteral("数据文件不完整：") +
               (f.text.isEmpty() ? QStringLiteral("最后一个数据项是空的，后面没有换行")
                                 : QStringLiteral("最后一个数据项“%1”后面没有换行").arg(f.text)) +
               QStringLiteral("，文件可能被截断；如数据无误，在文件末尾加一个换行即可");
    case Fault::StartOutsideCurve:
        return QStringLiteral("调洪起始水位Z0=%1不在水位~面积曲线范围内").arg(numberText(f.level));
    case Fault::CurveFalls:
        return QStringLiteral("水位~面积曲线的水位没有逐点升高：第%1点水位%2低于第%3点水位%4，"
                              "查不到调洪起始水位Z0=%5处的面积")
            .arg(f.number)
            .arg(valueText(f, 0))
            .arg(f.other)
            .arg(valueText(f, 1), numberText(f.level));
    case Fault::CurveZeroWidth:
        return QStringLiteral("水位~面积曲线第%1、%2点水位相同（%3米），无法插值")
            .arg(f.number)
            .arg(f.number + 1)
            .arg(numberText(f.level));
    case Fault::AreaNotPositive:
        return areaText(f) + QStringLiteral("，水面面积必须大于零");
    case Fault::ResultNotFinite:
        return QStringLiteral("第%1时段的计算结果溢出，请检查数据").arg(f.number);
    case Fault::OutOfMemory:
        return QStringLiteral("内存不足，计算未能完成");
    case Fault::ReportNotWritten:
        return QStringLiteral("结果文件无法写入：") + causeText(f);
    case Fault::ChartNotWritten:
        return QStringLiteral("图形文件无法保存：") + causeText(f);
    case Fault::CsvNotWritten:
        return QStringLiteral("CSV文件无法写入：") + causeText(f);
    case Fault::ReportNotRead:
        return QStringLiteral("结果文件无法读取：") + causeText(f);
    case Fault::OutputIsCase:
        return QStringLiteral(
                   "数据文件%1与结果文件是同一个文件（经由链接），写入结果会毁掉数据文件，"
                   "未计算")
            .arg(QDir::toNativeSeparators(f.text));
    case Fault::CaseNotWritten:
        return QStringLiteral("数据文件无法存盘：") + causeText(f);
    case Fault::NameHasSeparator:
        return QStringLiteral("文件名不能含有文件夹分隔符");
    case Fault::FolderMissing:
        return QStringLiteral("文件夹不存在");
    case Fault::BadRunName:
        return QStringLiteral("文件名%1不对！请查实").arg(f.text);
    case Fault::RowsDisagree:
    case Fault::FieldItems:
    case Fault::RowItems:
    case Fault::TrailingLines:
    case Fault::LevelsNotIncreasing:
    case Fault::LevelRepeated:
    case Fault::CurveTooShort:
    case Fault::StatesOverlap:
    case Fault::StatesGap:
    case Fault::StateEmpty:
    case Fault::OutletAboveCurve:
    case Fault::QaBelowW:
    case Fault::PeriodNotPositive:
        return checkMessageOf(f);
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

QString runSavedStatus(const QString& base, const SavedFiles& saved) {
    QString text = QStringLiteral("结果文件") + base + QStringLiteral(".out");
    if (saved.chart) text += QStringLiteral("/bmp");
    if (saved.csv) text += QStringLiteral("/csv");
    text += QStringLiteral("已存盘");
    QStringList notes;
    if (saved.chart)
        for (ChartGap gap : saved.gaps) notes << gapText(gap);
    for (const QString& name : saved.sharedWith)
        notes << QStringLiteral("数据文件%1的结果文件与此同名，已被本次结果替换").arg(name);
    if (notes.isEmpty()) return text;
    return text + QStringLiteral("（") + notes.join(QStringLiteral("；")) + QStringLiteral("）");
}

} // namespace m4
