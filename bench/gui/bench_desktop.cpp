// The desktop program's paint, with the windows it paints in.
//
// One repaint of a document window's plot pane as the program does it on
// every resize or splitter drag: the drawing through QPainter (the analysis
// and the refill of the result form run once per change of the inputs, not
// per paint). Target: the all-plots page within 2 ms.
//
// A study in the main window: moving to the next specimen, up to the
// repainted window and table (target: one frame, 16 ms), and regrading
// 1,000 specimens after a change of the criteria, up to the refreshed table
// and the rewritten study file (target: 50 ms).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <clocale>

#include "ChildFrame.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "MainFrame.h"
#include "ResultForm.h"
#include "criteria/SettingsStore.h"
#include "study/StudyDock.h"
#include "study/StudySession.h"

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

// The main window of a program run on a study of `count` copies of the
// examples, in a folder of its own.
class StudyProgram {
public:
    explicit StudyProgram(int count)
        : m_folder(QDir::temp().filePath(QStringLiteral("korvanes-desktop-bench-%1-%2").arg(::getpid()).arg(count))),
          m_app(std::make_unique<MemorySettingsStore>())
    {
        QDir().mkpath(m_folder);
        const char* const examples[] = {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"};
        for (int i = 0; i < count; ++i) {
            QFile::copy(QStringLiteral(KORVANES_SOURCE_DIR "/examples/") + QLatin1String(examples[i % 3]),
                        m_folder + QStringLiteral("/S%1.kvd").arg(i, 4, 10, QLatin1Char('0')));
        }
        m_app.InitInstance({});
        m_app.MainFrame()->resize(1600, 1000);
        m_app.MainFrame()->OpenStudyPaths({m_folder});
        QApplication::processEvents();
    }
    ~StudyProgram()
    {
        m_app.MainFrame()->close();
        m_app.ExitInstance();
        QDir(m_folder).removeRecursively();
    }
    CMainFrame& Main() { return *m_app.MainFrame(); }
    StudySession* Session() { return Main().Study(); }

private:
    QString m_folder;
    CKorvanesToolApp m_app;
};

void BM_StudyNextSpecimen(benchmark::State& state)
{
    StudyProgram program(400);
    StudySession* session = program.Session();
    if (session == nullptr) {
        state.SkipWithError("the study did not open");
        return;
    }
    QAction* next = nullptr;
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("&Next Specimen")) {
            next = action;
        }
    }
    for (auto _ : state) {
        if (session->Current() + 1 >= static_cast<int>(session->Data().specimens.size())) {
            state.PauseTiming();
            session->Show(0);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        next->trigger();
        // What the user sees: the window's plot and form, and the table's
        // moved selection, painted.
        program.Main().ActiveFrame()->repaint();
        program.Main().StudyTable()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StudyNextSpecimen)->Unit(benchmark::kMillisecond);

void BM_StudyRegradeOf1000AndTableRefresh(benchmark::State& state)
{
    StudyProgram program(1000);
    StudySession* session = program.Session();
    if (session == nullptr) {
        state.SkipWithError("the study did not open");
        return;
    }
    CCriteriaSet stricter = StartupCriteria();
    stricter.classA.minF = 0.5;
    bool strict = false;
    for (auto _ : state) {
        strict = !strict;
        session->ApplyCriteriaToAll(strict ? stricter : StartupCriteria());
        program.Main().StudyTable()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StudyRegradeOf1000AndTableRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

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
