// The deadline list over a table of 1,000,000 deadlines, about 100,000 of them of
// the slot shown: opening the list, and keystrokes in it.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true to
// read medians. The table (bench/dbf/deadline_table.h) is generated once into
// $DN_BENCH_DIR and copied with its index into a data folder of its own; the
// clock is the machine's, so the list shows what is pending up to today.

#include "app/deadline_list.h"
#include "app/panel.h"
#include "app/procedures.h"
#include "app/settings.h"
#include "app/tables.h"
#include "bench/dbf/deadline_table.h"
#include "common/config/variables.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/ctl.h"
#include "common/ui/startup.h"
#include "common/util/clock.h"
#include "toolkit/browse.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace dn;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRecords = 1000000;

// The data folder with SCADENZE.DBF, .DBT and .NTX, an instance folder for the
// views, the configuration variables and a panel with slot 1's label.
struct Fixture {
    fs::path data;
    fs::path inst;
    std::unique_ptr<TDialog> panel;

    Fixture() {
        const fs::path source = dnbench::deadlineTable(kRecords);
        data = fs::path(dnbench::dataDir()) / "list1m";
        fs::create_directories(data);
        for (const char* ext : {".DBF", ".DBT"}) {
            const fs::path from = fs::path(source).replace_extension(ext);
            const fs::path to = data / (std::string(schema::kDeadlines) + ext);
            if (!fs::exists(to) || fs::file_size(to) != fs::file_size(from)) {
                fs::copy_file(from, to, fs::copy_options::overwrite_existing);
                fs::remove(data / (std::string(schema::kDeadlines) + ".NTX"));
            }
        }
        fs::current_path(data);
        inst = fs::temp_directory_path() / ("dn_list_bench_" + std::to_string(::getpid()));
        fs::create_directories(inst);
        data::setInstance("\x7f"
                          "BENCH",
                          inst.string(), data::holdMarker(inst.string()));
        if (!app::ensureIndex(schema::kDeadlines, schema::kDeadlineKey, app::deadlineKey()))
            throw std::runtime_error("the index could not be built");
        app::createConfigVariables();
        config::variables().set("CFG_NM01", Value(std::string("Ufficio")));
        panel = std::make_unique<TDialog>("DELTRANOTA");
        app::MKSAY(*panel, app::readNames(), 1);
    }
    ~Fixture() {
        panel.reset();
        data::shutdownLibrary();
        std::error_code ec;
        fs::remove_all(inst, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Opens slot 1's list and runs body inside it once it shows, then closes it.
void inList(const std::function<void(TDialog&)>& body) {
    Fixture& f = fixture();
    // The wait box that shows while the view is built is a dialog too.
    tk::setDialogHook([&body](TDialog& d) {
        if (d.cResName() != "SCADENZE")
            return;
        body(d);
        d.End(0);
    });
    app::SCADENZE(*f.panel, 10, 1);
    tk::setDialogHook({});
}

TWBrowse& listOf(TDialog& d) {
    return *dynamic_cast<TWBrowse*>(ui::ITEM(d, 101));
}

// A key pressed in the list, and the repaint that follows.
void press(TWBrowse& list, Qt::Key key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(list.hWnd(), &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(list.hWnd(), &up);
    QApplication::processEvents();
}

// Opening the list: the password check (none set), the table and its index, the
// slot's scope, the view of what is pending up to today, the title's two counts,
// the window shown; then closing it.
void BM_OpenList(benchmark::State& state) {
    size_t shown = 0;
    uint64_t rows = 0;
    for (auto _ : state)
        inList([&](TDialog& d) {
            shown = listOf(d).Rows().size();
            rows = static_cast<uint64_t>(listOf(d).nLen());
        });
    state.counters["rows_in_view"] = static_cast<double>(rows);
    state.counters["rows_on_screen"] = static_cast<double>(shown);
}
BENCHMARK(BM_OpenList)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keystrokes, each with its repaint. rows_read counts the rows the list read per
// keystroke (the row block runs only for rows it shows).
void keystrokes(benchmark::State& state, bool all, Qt::Key key, const QString& text) {
    inList([&](TDialog& d) {
        TWBrowse& list = listOf(d);
        if (all)
            if (auto* b = dynamic_cast<TButton*>(ui::ITEM(d, 206)))
                b->Click();
        auto line = list.bLine;
        long reads = 0;
        list.bLine = [&reads, line] {
            ++reads;
            return line();
        };
        list.SetFocus();
        long presses = 0;
        for (auto _ : state) {
            press(list, key, text);
            ++presses;
            // At the end of the list go back to the top, outside the timing.
            if (key == Qt::Key_PageDown && presses % 200 == 0) {
                state.PauseTiming();
                press(list, Qt::Key_Home);
                state.ResumeTiming();
            }
        }
        list.bLine = line;
        state.counters["rows_in_list"] = static_cast<double>(list.nLen());
        state.counters["rows_read"] = static_cast<double>(reads) / static_cast<double>(presses);
    });
}

// Space toggles the done flag of the current deadline: lock, write, commit to
// disk, re-read, unlock, and the list read again. Under "Tutte" the deadline
// stays listed, so the same row toggles back and forth.
void BM_SpaceAllDeadlines(benchmark::State& state) {
    keystrokes(state, true, Qt::Key_Space, " ");
}
BENCHMARK(BM_SpaceAllDeadlines)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PageDownAllDeadlines(benchmark::State& state) {
    keystrokes(state, true, Qt::Key_PageDown, {});
}
BENCHMARK(BM_PageDownAllDeadlines)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PageDownPendingView(benchmark::State& state) {
    keystrokes(state, false, Qt::Key_PageDown, {});
}
BENCHMARK(BM_PageDownPendingView)->Unit(benchmark::kMillisecond)->UseRealTime();

// The list's first view alone, as the list lays it (only the slot's keys up to
// today walked), against the same view built by a pass over the whole table.
void pendingView(benchmark::State& state, bool wholeTable) {
    fixture();
    const std::string code = schema::slotCode(1);
    const Date today = clock::today();
    data::AreaGuard guard;
    guard.open(schema::kDeadlines);
    data::ORDADD(schema::kDeadlines);
    data::ORDSCOPE(0, Value(code));
    data::ORDSCOPE(1, Value(code));
    for (auto _ : state) {
        data::DBCLEARVIEW();
        if (wholeTable)
            data::DBSETVIEW(
                [today] {
                    return data::FIELDGET("DATA").date() <= today &&
                           !data::FIELDGET("EVASA").logical();
                },
                app::kPendingViewText);
        else
            app::setPendingView(code, today);
    }
    state.counters["rows_in_view"] = static_cast<double>(data::ORDKEYCOUNT());
}
void BM_PendingViewSlotKeysUpToToday(benchmark::State& state) {
    pendingView(state, false);
}
BENCHMARK(BM_PendingViewSlotKeysUpToToday)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_PendingViewWholeTable(benchmark::State& state) {
    pendingView(state, true);
}
BENCHMARK(BM_PendingViewWholeTable)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::installUi();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ui::uninstallUi();
    return 0;
}
