// How fast the window starts and how fast the largest case shows in its grids.

#include "case/case_file.h"
#include "ui/vemoM4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

/// Rows of every table of the largest case: 16-bit row counts, and at most ten tunnels and
/// ten spillways.
constexpr int kLargestRows = 32767;
constexpr int kLargestOutlets = 10;

/// A program folder with the installation files, shared by every benchmark.
class Installation {
  public:
    Installation() {
        for (const char* sub : {"bin", "use", "rtf", "lock"}) QDir(dir_.path()).mkpath(sub);
        for (const char* name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            QFile::copy(QString(M4_RESOURCES) + "/" + name, dir_.filePath("rtf/") + name);
    }

    m4::StartupEnvironment environment() const {
        m4::StartupEnvironment environment;
        environment.programFolder = dir_.filePath("bin");
        environment.lockFolder = dir_.filePath("lock");
        environment.quit = [] {};
        return environment;
    }

    QString use() const { return dir_.filePath("use"); }

  private:
    QTemporaryDir dir_;
};

Installation& installation() {
    static Installation shared;
    return shared;
}

void showAndWait(m4::vemoM4& window) {
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
        QApplication::processEvents();
    QApplication::processEvents();
}

void BM_StartUpToWindowShown(benchmark::State& state) {
    for (auto _ : state) {
        auto window = std::make_unique<m4::vemoM4>(installation().environment());
        if (!window->Form_Load()) state.SkipWithError("start-up failed");
        showAndWait(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

m4::CaseText largestCase(bool legal) {
    m4::CaseText text;
    for (int i = 0; i < m4::kFieldCount; ++i) text.fields.at(static_cast<size_t>(i)) = "1";
    for (int d = 0; d < m4::kTableCount; ++d) {
        const bool outlets = d == 2 || d == 3;
        const int rows = legal && outlets ? kLargestOutlets : kLargestRows;
        text.resizeTable(d, rows);
        // The hydrograph holds J + 1 values.
        text.fields.at(static_cast<size_t>(m4::countFieldOf(d))) =
            QString::number(d == m4::kHydrographTable ? rows - 1 : rows);
        int n = 0;
        for (auto& row : text.tables.at(static_cast<size_t>(d)))
            for (QString& cell : row) cell = QString::number(100.25 + ++n % 1000);
    }
    return text;
}

/// The case text already read; the grids take it.
void BM_ShowLargestCaseInGrids(benchmark::State& state) {
    m4::vemoM4 window(installation().environment());
    window.Form_Load();
    showAndWait(window);
    const m4::CaseText largest = largestCase(state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        window.caseText = largest;
        state.ResumeTiming();
        window.showCaseText();
        QApplication::processEvents();
    }
}

/// From the case file on disk to the grids.
void BM_LoadLargestCaseFile(benchmark::State& state) {
    m4::vemoM4 window(installation().environment());
    window.Form_Load();
    showAndWait(window);
    const QString path = installation().use() + "/M-4largest.INT";
    if (m4::writeCaseFile(path, largestCase(true))) state.SkipWithError("cannot write the case");
    for (auto _ : state) {
        auto loaded = m4::loadCaseText(path);
        if (!loaded) {
            state.SkipWithError("cannot read the case");
            break;
        }
        if (loaded->rows(0) != kLargestRows) state.SkipWithError("the case lost rows");
        window.caseText = std::move(*loaded);
        window.showCaseText();
        QApplication::processEvents();
    }
}

BENCHMARK(BM_StartUpToWindowShown)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Name("cold start-up");
BENCHMARK(BM_StartUpToWindowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowLargestCaseInGrids)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLargestCaseFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
