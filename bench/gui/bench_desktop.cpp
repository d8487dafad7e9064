// One repaint of a document window's plot pane as the desktop program does
// it on every resize or splitter drag: the drawing through QPainter (the
// analysis and the refill of the result form run once per change of the
// inputs, not per paint). Target: the all-plots page within 2 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <clocale>

#include "ChildFrame.h"
#include "KorvanesToolView.h"
#include "ResultForm.h"

namespace korvanes::gui {
namespace {

void BM_DocumentWindowRepaint(benchmark::State& state)
{
    ApplicationCriteria criteria;
    DocumentWindowSettings settings;
    QString error;
    std::shared_ptr<OpenDocument> document =
        OpenDocument::Open(QStringLiteral(KORVANES_SOURCE_DIR "/examples/andesite-mt4.kvd"), criteria, error);
    if (!document) {
        state.SkipWithError("example not readable");
        return;
    }
    document->Doc().m_options.m_plotType = static_cast<int>(state.range(0));
    CChildFrame frame(document, settings);
    frame.resize(1500, 950);
    frame.show();
    QApplication::processEvents();
    QWidget* viewport = frame.View()->viewport();
    for (auto _ : state) {
        viewport->repaint();
    }
    state.counters["paints"] = frame.View()->PaintCount();
    state.SetLabel(state.range(0) == kAllPlots ? "all plots" : "Arai diagram");
}
BENCHMARK(BM_DocumentWindowRepaint)->Arg(kAraiPlot)->Arg(kAllPlots)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvanes::gui

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
