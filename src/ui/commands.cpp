// The run command in the window, the report pane, the toolbar, the right-click menu and exit.

#include "vemoM4.h"

#include "case/file_names.h"
#include "common/gbk.h"
#include "common/messages.h"
#include "output/case_run.h"
#include "platform/file_browser.h"
#include "platform/picture_box.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "printing.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace m4 {
namespace {

/// Pages of the main tab control.
constexpr int kReportPage = 1;
constexpr int kChartPage = 2;
/// Mouse button number of the right button.
constexpr int kRightButton = 2;

struct ToolbarButton {
    const char* caption;
    const char* key;
    const char* tooltip;
    int gapBefore; ///< twips of toolbar left free before the button
    QStyle::StandardPixmap icon;
};

constexpr std::array<ToolbarButton, 5> kToolbarButtons{{
    {"新建", "new", "新建数据文件", 1700, QStyle::SP_FileIcon},
    {"存盘", "save", "数据文件存盘", 0, QStyle::SP_DialogSaveButton},
    {"计算", "run", "运行计算作图", 300, QStyle::SP_MediaPlay},
    {"打印", "print", "打印文本图形", 0, QStyle::SP_FileDialogDetailedView},
    {"退出", "exit", "退出应用程序", 2260, QStyle::SP_DialogCloseButton},
}};
/// Size of one toolbar button (twips).
constexpr int kButtonWidth = 960;
constexpr int kButtonHeight = 390;
constexpr int kButtonTop = 15;

/// Items of the right-click menu by index; "-" is a separator.
constexpr std::array<const char*, 7> kMenuItems{"新建", "存盘", "-", "计算", "打印", "-", "退出"};
enum MenuItem { kMenuNew = 0, kMenuSave = 1, kMenuRun = 3, kMenuPrint = 4, kMenuExit = 6 };

QString firstLine(const QString& text) {
    return text.section(u'\n', 0, 0);
}

/// The report file's lines, each followed by CR LF as the pane shows them.
std::optional<QString> readReportLines(const QString& path, QString* reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return std::nullopt;
    }
    std::optional<QString> text = decodeGbk(bytes);
    if (!text) {
        *reason = QStringLiteral("不是GBK编码的文本");
        return std::nullopt;
    }
    QStringList lines = text->split(u'\n');
    if (lines.back().isEmpty()) lines.removeLast();
    QString shown;
    shown.reserve(text->size() + lines.size());
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        shown += line;
        shown += QLatin1String("\r\n");
    }
    return shown;
}

} // namespace

void vemoM4::SetupCommands() {
    int left = 0;
    for (const ToolbarButton& b : kToolbarButtons) {
        left += b.gapBefore;
        auto* button = new QToolButton(Toolbar1);
        button->setObjectName(QString::fromUtf8(b.key));
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setIcon(style()->standardIcon(b.icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setGeometry(ui::twipsRect(left, kButtonTop, kButtonWidth, kButtonHeight));
        const QString key = button->objectName();
        const QString tooltip = button->toolTip();
        connect(button, &QToolButton::clicked, this,
                [this, key, tooltip] { Toolbar1_ButtonClick(key, tooltip); });
        left += kButtonWidth;
    }

    MnuRight = new QMenu(QStringLiteral("右键菜单"), this);
    for (int i = 0; i < static_cast<int>(kMenuItems.size()); ++i) {
        const QString caption = QString::fromUtf8(kMenuItems[static_cast<size_t>(i)]);
        QAction* item =
            caption == QLatin1String("-") ? MnuRight->addSeparator() : MnuRight->addAction(caption);
        connect(item, &QAction::triggered, this, [this, i] { MnuItem_Click(i); });
    }
}

void vemoM4::RunCase() {
    const QString name = CaseFileName;
    const auto refuse = [this](const QString& status, const QString& message) {
        setStatus(3, status);
        messages().critical(message);
    };
    if (!isRunnableName(name))
        return refuse(QStringLiteral("文件名") + name + QStringLiteral("不对！无法运行"),
                      QStringLiteral("文件名") + name + QStringLiteral("不对！请查实"));
    if (DataState == kStateNew)
        return refuse(QStringLiteral("数据文件") + name + QStringLiteral("无数据，请先输入"),
                      QStringLiteral("数据") + name + QStringLiteral("无数据，请先输入"));
    if (DataState == kStateModified)
        return refuse(QStringLiteral("文件") + name + QStringLiteral("已作修改，请先存盘"),
                      QStringLiteral("文件") + name + QStringLiteral("已作修改，请先存盘再计算"));

    // A run that fails writes nothing, so the page, chart and report pane stay as they were.
    const int pageBefore = SSTab2->tab();
    const QImage chartBefore = Picture1->image();
    SSTab2->setTab(kChartPage);
    Picture1->clear();
    setStatus(3, QStringLiteral("期待") + name + QStringLiteral("文件的的运行结果..."));

    RunRequest request{CasePath, name};
    if (!Picture1->size().isEmpty()) request.chartSize = Picture1->size();
    Expected<RunOutcome> outcome = runCaseFile(request);
    if (!outcome) {
        Picture1->setImage(chartBefore);
        SSTab2->setTab(pageBefore);
        const QString text = describe(outcome.failure());
        setStatus(3, firstLine(text));
        messages().critical(text);
        return;
    }
    Picture1->setImage(outcome->chart);
    ShowReport();
    if (RichTextBox1->document()->isEmpty()) return; // ShowReport told why
    if (outcome->laterFailure) {
        const QString text = describe(*outcome->laterFailure);
        setStatus(3, firstLine(text));
        messages().critical(text);
    } else {
        setStatus(3, outcome->status); // names curves the chart could not draw, if any
    }
}

void vemoM4::ShowReport() {
    const QString base = baseName(CaseFileName);
    const QString path = joinPath(CasePath, base + QStringLiteral(".out"));
    QString reason;
    const std::optional<QString> shown = readReportLines(path, &reason);
    if (!shown) {
        // A pane showing an older report would be printed as this one.
        RichTextBox1->clear();
        reportBase_.clear();
        const QString text = describe(Failure{Fault::ReportNotRead, path, 0, reason});
        setStatus(3, firstLine(text));
        messages().critical(text);
        return;
    }
    SSTab2->setTab(kReportPage);
    RichTextBox1->setLineWrapMode(QTextEdit::NoWrap);
    setReportText(*RichTextBox1->document(), *shown, reportFont(kScreenFontPoints));
    reportBase_ = base;
    setStatus(3, runSavedStatus(base));
}

void vemoM4::Toolbar1_ButtonClick(const QString& key, const QString& tooltip) {
    setStatus(2, tooltip);
    if (key == QLatin1String("new"))
        NewdataForm();
    else if (key == QLatin1String("save"))
        SaveCase();
    else if (key == QLatin1String("run"))
        RunCase();
    else if (key == QLatin1String("print"))
        PrintResults();
    else if (key == QLatin1String("exit"))
        EndProgram();
}

void vemoM4::MnuItem_Click(int Index) {
    switch (Index) {
    case kMenuNew:
        NewdataForm();
        break;
    case kMenuSave:
        SaveCase();
        break;
    case kMenuRun:
        RunCase();
        break;
    case kMenuPrint:
        PrintResults();
        break;
    case kMenuExit:
        EndProgram();
        break;
    default:
        break; // separators
    }
}

void vemoM4::AreaMouseUp(int Button, QPoint globalPos) {
    if (Button != kRightButton) return;
    // A release that a field or label leaves unhandled travels on to the panel under it; the
    // menu belongs to the areas themselves, not to the controls lying on them.
    const QWidget* under = QApplication::widgetAt(globalPos);
    const std::array<const QWidget*, 9> areas{
        centralWidget(),          Picture2,          Picture3,
        Dir1->viewport(),         File1->viewport(), SSpic,
        RichTextBox1->viewport(), Picture1,          RichTextBox2->viewport()};
    if (std::find(areas.begin(), areas.end(), under) == areas.end()) return;
    MnuRight->popup(globalPos);
}

void vemoM4::EndProgram() {
    // Unsaved edits are dropped without a question, as when the window is closed.
    quitProgram();
}

} // namespace m4
