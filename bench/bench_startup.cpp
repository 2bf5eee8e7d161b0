#include "generated.h"

#include "app/mainwindow.h"
#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/printer.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Answers every box at once, as a user with the tour switched off never sees one.
class SilentDialogs : public Dialogs {
public:
    Answer message(const QString&, const QString&, Icon, Buttons, Answer def) override { return def; }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
    void beep() override {}
    void setBusy(bool) override {}
};
class NoHelp : public HelpViewer {
public:
    void open(const QString&) override {}
    void closeAll() override {}
};
class NoPrinter : public Printer {
public:
    bool printText(const QString&, const QString&) override { return false; }
};

// From construction of the window to the window shown, on a collection at the design
// maximum with the delivered masters and pictures.
void StartUpToWindowShown(benchmark::State& state)
{
    QTemporaryDir dir;
    bench::writeLargeCollection(dir.path());
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    for (auto _ : state) {
        DataFolder folder(dir.path());
        MainWindow window(folder, dialogs, help, printer);
        window.startUp();
        if (!window.isVisible())
            state.SkipWithError("window not shown");
        state.PauseTiming();
        window.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(StartUpToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
