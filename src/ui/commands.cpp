// The five commands (new, save, run, print, exit) as actions shared by the toolbar and the
// right-click menu; the run and its report and chart; printing.

#include "case/file_names.h"
#include "common/gbk.h"
#include "common/messages.h"
#include "common/read_file.h"
#include "data_entry.h"
#include "output/case_run.h"
#include "output/chart.h"
#include "platform/file_browser.h"
#include "platform/picture_box.h"
#include "platform/report_view.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "printing.h"
#include "vemoM4.h"
#include "window_text.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>

#include <array>

namespace m4 {
namespace {

/// Pages of the main tab control.
constexpr int kReportPage = 1;
constexpr int kChartPage = 2;

struct Command {
    const char* key; ///< the action's name
    const char* caption;
    const char* tooltip;
    int gapBefore; ///< twips of toolbar left free before its button
    QStyle::StandardPixmap icon;
    QAction* vemoM4::*action;
};

/// Size of one toolbar button (twips).
constexpr int kButtonWidth = 960;
constexpr int kButtonHeight = 390;
constexpr int kButtonTop = 15;

/// The report file's text; nullopt with the reason when it cannot be read as GBK text.
/// No report of a legal case comes near this size (bytes).
constexpr qsizetype kMaxReportBytes = 256 * 1024 * 1024;

/// The report as the run wrote it, or why it cannot be shown.
Expected<QString> readReport(const QString& path) {
    return orOutOfMemory(Fault::ReportNotRead, path, FileCause::ReadFailed,
                         [&]() -> Expected<QString> {
                             const Expected<QByteArray> bytes =
                                 readRegularFile(Fault::ReportNotRead, path, kMaxReportBytes);
                             if (!bytes) return bytes.failure();
                             if (std::optional<QString> text = decodeGbk(*bytes)) return *text;
                             Failure failure{Fault::ReportNotRead, path};
                             failure.text = say(WindowText::ReportNotGbk);
                             return failure;
                         });
}

} // namespace

void vemoM4::setupCommands() {
    const std::array<Command, 5> commands{{
        {"new", "新建", "新建数据文件", 1700, QStyle::SP_FileIcon, &vemoM4::newAction_},
        {"save", "存盘", "数据文件存盘", 0, QStyle::SP_DialogSaveButton, &vemoM4::saveAction_},
        {"run", "计算", "运行计算作图", 300, QStyle::SP_MediaPlay, &vemoM4::runAction_},
        {"print", "打印", "打印文本图形", 0, QStyle::SP_FileDialogDetailedView,
         &vemoM4::printAction_},
        {"exit", "退出", "退出应用程序", 2260, QStyle::SP_DialogCloseButton, &vemoM4::exitAction_},
    }};
    int left = 0;
    for (const Command& c : commands) {
        auto* action =
            new QAction(style()->standardIcon(c.icon), QString::fromUtf8(c.caption), this);
        action->setObjectName(c.key);
        action->setToolTip(QString::fromUtf8(c.tooltip));
        this->*c.action = action;
        left += c.gapBefore;
        // The buttons take no keyboard focus: a Space or Enter meant for a field never runs a
        // command. A click names its command in the status bar, then runs it.
        auto* button = new QToolButton(Toolbar1);
        button->setObjectName(c.key);
        button->setFocusPolicy(Qt::NoFocus);
        button->setText(action->text());
        button->setToolTip(action->toolTip());
        button->setIcon(action->icon());
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setGeometry(ui::twipsRect(left, kButtonTop, kButtonWidth, kButtonHeight));
        connect(button, &QToolButton::clicked, this, [this, action] {
            setStatus(ui::StatusPanel::Command, action->toolTip());
            action->trigger();
        });
        left += kButtonWidth;
    }
    connect(newAction_, &QAction::triggered, this, [this] { NewdataForm(); });
    connect(saveAction_, &QAction::triggered, this, [this] { SaveCase(); });
    connect(runAction_, &QAction::triggered, this, [this] { RunCase(); });
    connect(printAction_, &QAction::triggered, this, [this] { PrintResults(); });
    connect(exitAction_, &QAction::triggered, this, [this] { EndProgram(); });

    MnuRight = new QMenu(QStringLiteral("右键菜单"), this);
    MnuRight->setObjectName("MnuRight");
    MnuRight->addActions({newAction_, saveAction_});
    MnuRight->addSeparator();
    MnuRight->addActions({runAction_, printAction_});
    MnuRight->addSeparator();
    MnuRight->addAction(exitAction_);
    // The tables have a menu of their own: their commands, then the window's.
    SSpic->setMenuCommands(MnuRight->actions());
}

void vemoM4::RunCase() {
    if (refuseRun()) return;
    const QString name = current_.CaseFileName;
    clearResults();
    setStatus(ui::StatusPanel::Result, say(WindowText::RunStarted, name));

    // The saved chart has the size m4 route gives it, so the window and the command line write
    // the same files; the pane shows the chart drawn again at its own size.
    Expected<RunOutcome> outcome = runCaseFile(RunRequest{current_.CasePath, name});
    if (!outcome) {
        const QString text = describe(outcome.failure());
        report(text.section(u'\n', 0, 0), text);
        return;
    }
    lastRun_ = std::make_unique<RunOutcome>(std::move(*outcome));
    if (Picture1->size() == lastRun_->chart.size())
        Picture1->setImage(lastRun_->chart);
    else
        redrawChart();
    if (!ShowReport()) return;
    if (lastRun_->laterFailure) {
        const QString text = describe(*lastRun_->laterFailure);
        report(text.section(u'\n', 0, 0), text);
    } else {
        setStatus(ui::StatusPanel::Result, lastRun_->status); // names curves not drawn, if any
    }
}

void vemoM4::clearResults() {
    // The results of an earlier run go first, so that a run that fails leaves nothing to be
    // taken for its own (the print command then says nothing has been computed).
    SSTab2->setTab(kChartPage);
    Picture1->clear();
    lastRun_.reset();
    chart_.reset();
    RichTextBox1->clear();
    reportBase_.clear();
}

bool vemoM4::refuseRun() {
    const QString& name = current_.CaseFileName;
    if (!isRunnableName(name)) {
        report(say(WindowText::RunBadNameStatus, name), say(WindowText::RunBadName, name));
        return true;
    }
    switch (current_.DataState) {
    case CaseState::New:
        report(say(WindowText::RunNoDataStatus, name), say(WindowText::RunNoData, name));
        return true;
    case CaseState::Modified:
        report(say(WindowText::RunModifiedStatus, name), say(WindowText::RunModified, name));
        return true;
    case CaseState::Saved:
        break;
    }
    return false;
}

bool vemoM4::ShowReport() {
    const QString base = baseName(current_.CaseFileName);
    const QString path = joinPath(current_.CasePath, base + QStringLiteral(".out"));
    Expected<QString> text = readReport(path);
    if (!text) {
        const QString shown = describe(text.failure());
        report(shown.section(u'\n', 0, 0), shown);
        return false;
    }
    // Every line of the pane ends with CR LF, the last one too.
    if (!text->isEmpty() && !text->endsWith(u'\n')) *text += QStringLiteral("\r\n");
    SSTab2->setTab(kReportPage);
    RichTextBox1->setText(*text);
    reportBase_ = base;
    setStatus(ui::StatusPanel::Result, runSavedStatus(base));
    return true;
}

void vemoM4::redrawChart() {
    // The chart is data: at another size it is drawn again, not stretched or cut. The bitmap
    // saved by the run stays as the run saved it.
    if (!lastRun_ || Picture1->size().isEmpty()) return;
    if (!chart_)
        chart_ = std::make_unique<ChartGeometry>(chartGeometry(
            lastRun_->data, lastRun_->result, QDir::toNativeSeparators(lastRun_->bitmapPath)));
    Picture1->setImage(renderChart(*chart_, Picture1->size()));
}

void vemoM4::PrintResults() {
    const QString documentName = reportBase_ + QStringLiteral(".out");
    std::unique_ptr<ReportPrinter> printer =
        environment_.printer ? environment_.printer(documentName) : nullptr;
    if (!printer) printer = std::make_unique<CupsReportPrinter>(documentName);
    const PrintFeedback feedback{
        [this](const QString& text) { setStatus(ui::StatusPanel::Result, text); },
        [this](const QString& text) { messages_.critical(text); }};
    printResults(*printer, RichTextBox1->text(), reportBase_, feedback);
}

void vemoM4::EndProgram() {
    // Unsaved edits are dropped without a question, as when the window is closed.
    quitProgram();
}

void vemoM4::AreaMouseUp(QMouseEvent* mouse) {
    if (mouse->button() != Qt::RightButton) return;
    // A release that a field or label leaves unhandled travels on to the panel under it; the
    // menu belongs to the areas themselves, not to the controls lying on them.
    const QPoint at = mouse->globalPosition().toPoint();
    const QWidget* under = QApplication::widgetAt(at);
    const std::array<const QWidget*, 9> areas{
        centralWidget(),          Picture2,          Picture3,
        Dir1->viewport(),         File1->viewport(), SSpic,
        RichTextBox1->viewport(), Picture1,          RichTextBox2->viewport()};
    if (std::find(areas.begin(), areas.end(), under) == areas.end()) return;
    MnuRight->popup(at);
}

} // namespace m4
