// The address book on 100,000 contacts, as a user meets it: opening the window,
// one type-ahead keystroke in its list, and a search (one criterion, and all four).
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise, with the
// program's real message boxes and wait box. Read medians with
//   build/bench/app/address_book_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
// (one command line).
// The contacts come from the generator of bench/dbf (made once in DN_BENCH_DIR),
// copied into a folder of this run; the name index is built by the start-up step
// that builds it when it is missing.

#include "app/contact_editor.h"
#include "app/procedures.h"
#include "app/tables.h"
#include "bench/dbf/contact_table.h"
#include "bench/support/data_folder.h"
#include "common/data/indexes.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/ui/ctl.h"
#include "common/ui/startup.h"
#include "toolkit/browse.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <functional>
#include <map>

using namespace dn;

namespace {

constexpr uint32_t kContacts = 100000;

// A data folder with the contact table, its name index and an instance folder;
// made once, removed at exit.
struct Book {
    dnbench::DataFolder folder{"dn_book_bench"};

    Book() {
        dnbench::copyTable(dnbench::contactTable(kContacts),
                           dbf::Table::tablePath(schema::kContacts));
        app::ensureIndex(schema::kContacts, schema::kContactKey, app::contactKey());
    }
};

Book& book() {
    static Book b;
    return b;
}

// What runs when a dialog of that template shows, by template name.
std::map<std::string, std::function<void(TDialog&)>>& onDialog() {
    static std::map<std::string, std::function<void(TDialog&)>> m;
    return m;
}

void press(TDialog& dlg, int id) {
    dynamic_cast<TButton&>(*ui::ITEM(dlg, id)).Click();
}

// Fills the search dialog with the criteria and confirms it.
void searchWith(std::vector<std::string> criteria) {
    onDialog()["RICERCA2"] = [criteria](TDialog& s) {
        for (size_t i = 0; i < criteria.size(); ++i)
            dynamic_cast<TControl&>(*ui::ITEM(s, 101 + static_cast<int>(i)))
                .VarPut(Value(criteria[i]));
        press(s, 201);
    };
}

// Runs the address book; body runs inside it once its window shows, then it closes.
void inAddressBook(std::function<void(TDialog&)> body) {
    onDialog()["RUBRICA"] = [body](TDialog& d) {
        body(d);
        d.End(0);
    };
    app::RUBRICA();
}

// Opening the window: the table and its index opened, both counts of the title,
// the first screen of names read and shown; then closed again.
void BM_OpenAddressBook(benchmark::State& state) {
    book();
    for (auto _ : state)
        inAddressBook([](TDialog&) {});
}
BENCHMARK(BM_OpenAddressBook)->Unit(benchmark::kMillisecond);

// One keystroke in the list, averaged over the cycle R, O, S, backspace, backspace,
// backspace: the key search, the list redrawn on the name found and repainted.
void BM_ListKeystroke(benchmark::State& state) {
    book();
    inAddressBook([&state](TDialog& d) {
        auto& list = dynamic_cast<TWBrowse&>(*ui::ITEM(d, 101));
        const int keys[] = {'R', 'O', 'S', 8, 8, 8};
        size_t i = 0;
        for (auto _ : state) {
            const int k = keys[i++ % 6];
            list.KeyDown(k, 0, std::string(1, static_cast<char>(k == 8 ? 8 : k + 'a' - 'A')));
            QCoreApplication::processEvents(); // the list repaints
        }
    });
}
BENCHMARK(BM_ListKeystroke)->Unit(benchmark::kMicrosecond);

// The same keystrokes through the key search alone, for the ratio.
void BM_KeySearchAlone(benchmark::State& state) {
    book();
    inAddressBook([&state](TDialog&) {
        struct : data::SearchList {
            void showCurrent() override {}
        } none;
        const int keys[] = {'r', 'o', 's', 8, 8, 8};
        size_t i = 0;
        for (auto _ : state)
            data::KEYSEARCH(&none, keys[i++ % 6]);
    });
}
BENCHMARK(BM_KeySearchAlone)->Unit(benchmark::kMicrosecond);

// A search as the user makes it: "&Ricerca", the criteria typed, "&Conferma", the
// view built under its wait message, the list and its title redrawn.
void searchBench(benchmark::State& state, const std::vector<std::string>& criteria) {
    book();
    searchWith(criteria);
    inAddressBook([&state](TDialog& d) {
        for (auto _ : state)
            press(d, 205);
        state.counters["matches"] = static_cast<double>(data::ORDKEYCOUNT());
    });
    state.counters["contacts"] = kContacts;
}

void BM_SearchByName(benchmark::State& state) {
    searchBench(state, {"SETTI"});
}
BENCHMARK(BM_SearchByName)->Unit(benchmark::kMillisecond);

void BM_SearchFourCriteria(benchmark::State& state) {
    searchBench(state, {"RO", "0", "ESEMPIO", "RICHIAMARE"});
}
BENCHMARK(BM_SearchFourCriteria)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    ui::installUi();
    tk::setDialogHook([](TDialog& d) {
        const auto it = onDialog().find(d.cResName());
        if (it != onDialog().end())
            it->second(d);
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    onDialog().clear();
    ui::uninstallUi();
    return 0;
}
