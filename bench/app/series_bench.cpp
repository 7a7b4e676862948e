// Recurring deadlines and the deadline search over large tables.
//
//   series_bench --benchmark_filter=Series   a daily series over ten years (3,652
//       deadlines) written into a table of 1,000,000 deadlines open as the list
//       has it, against a plain append of as many deadlines through the same area
//   series_bench --benchmark_filter=Search   the search view of a slot with
//       100,000 deadlines, against a plain scan of the table testing the same text
//
// The tables come from bench/dbf's generator ($DN_BENCH_DIR, made once); each run
// copies them into a folder of its own, removed at exit.

#include "app/deadline_list.h"
#include "app/deadline_search.h"
#include "app/generation.h"
#include "app/tables.h"
#include "bench/dbf/deadline_table.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/cp1252.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace dn;
using namespace dn::data;

namespace fs = std::filesystem;

namespace {

const Date kFirst = Date::fromYmd(2031, 1, 1);
const Date kLast = Date::fromYmd(2040, 12, 31);
constexpr const char* kText = "Versamento periodico";

// A data folder holding a copy of a generated deadline table as SCADENZE with its
// index, and an instance folder for views; the table is open in area 1 as the
// deadline list opens it for slot 1.
class Folder {
public:
    Folder(uint32_t records, int owners) {
        const std::string source = dnbench::deadlineTable(records, owners);
        root_ = fs::temp_directory_path() / ("dn_series_bench_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "inst");
        fs::copy_file(source, root_ / "SCADENZE.DBF");
        fs::copy_file(dbf::Table::memoPathOf(source), root_ / "SCADENZE.DBT");
        fs::current_path(root_);
        setInstance("\x7f"
                    "BENCH",
                    (root_ / "inst").string(), holdMarker((root_ / "inst").string()));
        if (!app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey, app::deadlineKey()))
            throw std::runtime_error("index not built");
        DBSELECTAREA(1);
        DBOPEN(true, {}, dn::schema::kDeadlines);
        ORDADD(dn::schema::kDeadlines);
        ORDSCOPE(0, Value(dn::schema::slotCode(1)));
        ORDSCOPE(1, Value(dn::schema::slotCode(1)));
        DBGOTOP();
    }
    ~Folder() {
        shutdownLibrary();
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(root_, ec);
    }

    bool viewed = false;

private:
    fs::path root_;
};

// The folder of the benchmark that runs; another table replaces it, and main
// removes the last one before the program's statics go.
std::unique_ptr<Folder> g_current;

Folder& folder(uint32_t records, int owners) {
    static std::pair<uint32_t, int> made;
    if (!g_current || made != std::pair(records, owners)) {
        g_current.reset();
        g_current = std::make_unique<Folder>(records, owners);
        made = {records, owners};
    }
    return *g_current;
}

void million() {
    Folder& f = folder(1000000, 10);
    if (!f.viewed) {
        // The list's first view: slot 1's pending deadlines up to a day in the table.
        app::setPendingView(dn::schema::slotCode(1), Date::fromYmd(2025, 6, 30));
        f.viewed = true;
    }
}

void BM_SeriesDailyTenYears(benchmark::State& state) {
    million();
    app::Series s;
    s.start = kFirst;
    s.end = kLast;
    s.text = kText;
    for (auto _ : state)
        app::generateSeries(dn::schema::slotCode(1), s);
    state.counters["records"] = static_cast<double>(app::seriesDates(s).size());
    state.counters["table"] = static_cast<double>(DBLASTREC());
}
BENCHMARK(BM_SeriesDailyTenYears)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same number of deadlines appended one by one with the same fields, without
// the series number's look-up and the day steps.
void BM_SeriesPlainAppend(benchmark::State& state) {
    million();
    const int count = kLast - kFirst + 1;
    const std::string code = dn::schema::slotCode(1);
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            DBAPP();
            FIELDPUT("CODICE", Value(code));
            FIELDPUT("DATA", Value(kFirst.addDays(i)));
            FIELDPUT("ORA", Value(std::string()));
            FIELDPUT("INCOMBENZA", Value(kText));
            FIELDPUT("GENERAZIO", Value(std::string(10, ' ')));
        }
        DBCOMMIT();
        DBSKIP(0);
        DBUNLOCK();
    }
    state.counters["records"] = count;
    state.counters["table"] = static_cast<double>(DBLASTREC());
}
BENCHMARK(BM_SeriesPlainAppend)->Unit(benchmark::kMillisecond)->Iterations(3);

// The next series number alone, on the million-record table.
void BM_SeriesNextgen(benchmark::State& state) {
    million();
    for (auto _ : state) {
        benchmark::DoNotOptimize(app::NEXTGEN());
        DBUNLOCK();
    }
}
BENCHMARK(BM_SeriesNextgen)->Unit(benchmark::kMicrosecond);

void oneSlot() {
    folder(100000, 1);
}

// Replaces the list's view as the search dialog does.
void search(const std::string& text) {
    DBCLEARVIEW();
    DBSETVIEW(conditionOf(text), text, ViewOptions{{}, true});
}

void BM_SearchText(benchmark::State& state) {
    oneSlot();
    const std::string text = app::searchText({}, {}, "n. 777");
    for (auto _ : state)
        search(text);
    state.counters["matches"] = static_cast<double>(ORDKEYCOUNT());
    state.counters["slot"] = static_cast<double>(TOTREC());
}
BENCHMARK(BM_SearchText)->Unit(benchmark::kMillisecond);

void BM_SearchDates(benchmark::State& state) {
    oneSlot();
    const std::string text =
        app::searchText(Date::fromYmd(2026, 12, 1), Date::fromYmd(2026, 12, 31), "");
    for (auto _ : state)
        search(text);
    state.counters["matches"] = static_cast<double>(ORDKEYCOUNT());
}
BENCHMARK(BM_SearchDates)->Unit(benchmark::kMillisecond);

// A plain scan of the same table in record order, reading every task text and
// testing the same upper-cased text, without building anything.
void BM_SearchPlainScan(benchmark::State& state) {
    oneSlot();
    dbf::Table& t = area().table();
    const int field = t.fieldIndex("INCOMBENZA");
    size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        t.scan(1, t.recordCount(), [&](uint32_t, std::string_view record) {
            if (upper1252(t.valueOf(record, field).text()).find("N. 777") != std::string::npos)
                ++matches;
        });
    }
    state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK(BM_SearchPlainScan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    g_current.reset();
    benchmark::Shutdown();
    return 0;
}
