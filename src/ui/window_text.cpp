#include "window_text.h"

namespace m4 {

QString windowText(WindowText id) {
    switch (id) {
    case WindowText::AlreadyRunning:
        return QStringLiteral("程序%1已经运行，不能再次装载");
    case WindowText::LockUnavailable:
        return QStringLiteral("无法建立单实例锁文件%1：%2");
    case WindowText::StartupFolderMissing:
        return QStringLiteral("找不到文件夹 %1");
    case WindowText::StartupFileMissing:
        return QStringLiteral("找不到文件 %1");
    case WindowText::StartupFileNotGbk:
        return QStringLiteral("文件 %1 不是GBK文本");
    case WindowText::StartupFileUnreadable:
        return QStringLiteral("不能读取文件 %1");
    case WindowText::ExpectingInput:
        return QStringLiteral("期待数据输入后存盘...");
    case WindowText::FileSelected:
        return QStringLiteral("选择数据文件");
    case WindowText::FileRefused:
        return QStringLiteral("选择的数据文件 %1 不符合！");
    case WindowText::BadExtension:
        return QStringLiteral("存盘文件扩展名%1不对");
    case WindowText::NotModified:
        return QStringLiteral("文件%1未修改，不必存盘");
    case WindowText::SaveBadName:
        return QStringLiteral("文件名%1不对");
    case WindowText::SaveNameHasSeparator:
        return QStringLiteral("文件名%1不对，不能含有文件夹分隔符");
    case WindowText::SaveFailed:
        return QStringLiteral("有错，文件%1还没有存盘");
    case WindowText::Saved:
        return QStringLiteral("数据文件%1已存盘");
    case WindowText::FieldEmpty:
        return QStringLiteral("%1未输入");
    case WindowText::CountMismatch:
        return QStringLiteral("%1“%2”与表格“%3”的行数%4不符，请在该栏按Enter确认");
    case WindowText::CountOutOfRange:
        return QStringLiteral("%1“%2”不对，应为0至%3的整数");
    case WindowText::TextNotStorable:
        return QStringLiteral("%1不能含有逗号或换行，也不能以双引号开头");
    case WindowText::TextNotEncodable:
        return QStringLiteral("%1含有无法存入数据文件的字符");
    case WindowText::CellName:
        return QStringLiteral("表格“%1”第%2行第%3列");
    case WindowText::CountRefused:
        return QStringLiteral("个数%1不对，应为0至%2的整数");
    case WindowText::PasteNotNumber:
        return QStringLiteral("粘贴到%1的“%2”不是数字，未作粘贴");
    case WindowText::PasteTooWide:
        return QStringLiteral("粘贴的数据有%1列，表格“%2”从第%3列起只有%4列，未作粘贴");
    case WindowText::RunBadNameStatus:
        return QStringLiteral("文件名%1不对！无法运行");
    case WindowText::RunBadName:
        return QStringLiteral("文件名%1不对！请查实");
    case WindowText::RunNoDataStatus:
        return QStringLiteral("数据文件%1无数据，请先输入");
    case WindowText::RunNoData:
        return QStringLiteral("数据%1无数据，请先输入");
    case WindowText::RunModifiedStatus:
        return QStringLiteral("文件%1已作修改，请先存盘");
    case WindowText::RunModified:
        return QStringLiteral("文件%1已作修改，请先存盘再计算");
    case WindowText::RunStarted:
        return QStringLiteral("期待%1文件的的运行结果...");
    case WindowText::ReportNotGbk:
        return QStringLiteral("不是GBK编码的文本");
    case WindowText::NotComputed:
        return QStringLiteral("尚未计算,无文本和图形打印");
    case WindowText::Printed:
        return QStringLiteral("结果文件%1.out/bmp已打印");
    case WindowText::PrinterNotReady:
        return QStringLiteral("打印机未准备好");
    case WindowText::DriveNotReady:
        return QStringLiteral("驱动器%1未准备好");
    case WindowText::FolderNotOpened:
        return QStringLiteral("文件夹%1无法打开");
    }
    return {}; // not reached: every enumerator has its case
}

QString startupFileMessage(const Failure& failure) {
    // Start-up reads only the folder and the installation files; every other fault of a file
    // there means it could not be read.
    WindowText id = WindowText::StartupFileUnreadable;
    if (failure.fault == Fault::FileMissing) id = WindowText::StartupFileMissing;
    if (failure.fault == Fault::FolderMissing) id = WindowText::StartupFolderMissing;
    if (failure.fault == Fault::NotGbk) id = WindowText::StartupFileNotGbk;
    return say(id, failure.file);
}

} // namespace m4
