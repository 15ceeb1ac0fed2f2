// How fast the window starts, loads and saves the largest case, runs a case until its report is
// shown, and takes the largest hydrograph pasted from a spreadsheet, driven as a user drives it
// (a listed file picked, the toolbar's commands, the tables' menu).

#include "bench_cases.h"
#include "ui/platform/file_browser.h"
#include "ui/platform/tab_control.h"
#include "ui/vemoM4.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

/// A program folder with the installation files, a window started in it, messages counted.
class Installation {
  public:
    Installation() {
        for (const char* sub : {"bin", "use", "rtf", "lock"}) QDir(dir_.path()).mkpath(sub);
        for (const char* name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            QFile::copy(QString(M4_RESOURCES) + "/" + name, dir_.filePath("rtf/") + name);
    }
    std::unique_ptr<m4::vemoM4> start() {
        m4::StartupEnvironment environment;
        environment.programFolder = dir_.filePath("bin");
        environment.lockFolder = dir_.filePath("lock");
        environment.quit = [] {};
        auto window = std::make_unique<m4::vemoM4>(environment);
        window->messages().setHook([this](const m4::ui::Message&) { ++messages; });
        window->Form_Load();
        window->show();
        while (window->windowHandle() == nullptr || !window->windowHandle()->isExposed())
            QApplication::processEvents();
        QApplication::processEvents();
        return window;
    }
    /// Write a case file into the case folder.
    void write(const QString& name, const m4::CaseText& text) {
        QFile file(dir_.filePath("use/" + name));
        file.open(QIODevice::WriteOnly);
        file.write(m4::bench::caseBytes(text));
    }
    int messages = 0;

  private:
    QTemporaryDir dir_;
};

/// Pick a listed file as a click does.
void pick(m4::vemoM4& window, const QString& name) {
    auto* list = window.findChild<m4::ui::FileList*>("File1");
    list->refresh();
    list->setFileName(name);
    Q_EMIT list->fileClicked();
}

void command(m4::vemoM4& window, const char* key) {
    window.findChild<QAction*>(key)->trigger();
    QApplication::processEvents(); // painted
}

void BM_StartUpToWindowShown(benchmark::State& state) {
    Installation installation;
    for (auto _ : state) {
        auto window = installation.start();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

/// From the case file on disk to the grids, and from the grids back to the file.
void BM_LoadAndSaveLargestCase(benchmark::State& state) {
    Installation installation;
    installation.write("M-4Largest.INT", m4::bench::largestCase());
    auto window = installation.start();
    const bool save = state.range(0) != 0;
    pick(*window, "M-4Largest.INT");
    for (auto _ : state) {
        if (!save) pick(*window, "M-4Largest.INT");
        state.PauseTiming();
        if (save) QMetaObject::invokeMethod(window->findChild<QObject*>("SSpic"), "edited");
        state.ResumeTiming();
        if (save) command(*window, "save");
    }
    if (installation.messages != 0) state.SkipWithError("refused");
}

/// The run command on a saved case, until its report is in the pane and painted.
void BM_RunToReportShown(benchmark::State& state) {
    Installation installation;
    const bool largest = state.range(0) != 0;
    installation.write("M-4Run.INT", largest ? m4::bench::largestCase() : m4::bench::typicalCase());
    auto window = installation.start();
    pick(*window, "M-4Run.INT");
    for (auto _ : state) command(*window, "run");
    if (installation.messages != 0) state.SkipWithError("the run failed");
}

/// The largest hydrograph, as a spreadsheet copies a column, pasted into the empty hydrograph
/// of a new case until the grid shows it; undone between the pastes.
void BM_PasteLargestHydrograph(benchmark::State& state) {
    Installation installation;
    auto window = installation.start();
    QString column;
    for (int i = 0; i < m4::kMaxRows; ++i)
        column += QString::number(120 + (i % 997) * 3.7, 'f', 1) + QLatin1Char('\n');
    QGuiApplication::clipboard()->setText(column);
    window->findChild<m4::ui::TabControl*>("SSTab1")->setTab(m4::kHydrographTable);
    const QLineEdit* J = window->findChild<QLineEdit*>("Text3(3)");
    for (auto _ : state) {
        command(*window, "paste");
        state.PauseTiming();
        if (J->text() != QString::number(m4::kMaxRows - 1)) state.SkipWithError("not pasted");
        command(*window, "undo");
        state.ResumeTiming();
    }
    if (installation.messages != 0) state.SkipWithError("refused");
}

BENCHMARK(BM_StartUpToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadAndSaveLargestCase)
    ->ArgName("save")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunToReportShown)->ArgName("largest")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteLargestHydrograph)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
