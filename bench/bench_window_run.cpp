// How fast the window runs a case and shows its report, and how fast it saves the largest case.

#include "bench_cases.h"
#include "ui/vemoM4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

/// A window over a case folder of its own, shown, with message boxes counted instead of shown.
struct ShownWindow {
    ShownWindow() : window(environment()) {
        window.messages().setHook([this](const m4::ui::Message&) { ++messages; });
        window.CasePath = dir.path();
        window.show();
        while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
            QApplication::processEvents();
    }
    static m4::StartupEnvironment environment() {
        m4::StartupEnvironment e;
        e.quit = [] {};
        return e;
    }
    QTemporaryDir dir;
    m4::vemoM4 window;
    int messages = 0;
};

/// The run command on a saved typical case, until its report is in the pane and painted.
void BM_RunToReportShown(benchmark::State& state) {
    ShownWindow shown;
    const QString name = QStringLiteral("M-4Typical.INT");
    QFile file(QDir(shown.dir.path()).filePath(name));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(m4::bench::caseBytes(m4::bench::typicalCase())) < 0)
        state.SkipWithError("cannot write the case");
    file.close();
    m4::vemoM4& w = shown.window;
    w.CaseFileName = name;
    w.DataState = m4::kStateSaved;
    for (auto _ : state) {
        w.RunCase();
        QApplication::processEvents();
    }
    if (shown.messages != 0 || !w.statusText(3).endsWith(QStringLiteral(".out/bmp已存盘")))
        state.SkipWithError("the run failed");
}

/// The save command on the largest legal case, shown in the grids.
void BM_SaveLargestCase(benchmark::State& state) {
    ShownWindow shown;
    m4::vemoM4& w = shown.window;
    w.caseText = m4::bench::largestCase();
    w.showCaseText();
    w.CaseFileName = QStringLiteral("M-4Largest.INT");
    for (auto _ : state) {
        w.DataState = m4::kStateModified;
        w.SaveCase();
    }
    if (shown.messages != 0 || w.DataState != m4::kStateSaved)
        state.SkipWithError("the save failed");
}

BENCHMARK(BM_RunToReportShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLargestCase)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
