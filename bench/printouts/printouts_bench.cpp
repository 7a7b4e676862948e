// The contact list of 10,000 contacts: laid out and recorded (the preview is
// closed as soon as it shows), then written as a PDF file.
//
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen printouts_bench
// The contacts come from the generator of bench/dbf (made once in DN_BENCH_DIR),
// copied into a folder of this run.

#include "app/contact_printouts.h"
#include "bench/dbf/contact_table.h"
#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "toolkit/print/output.h"
#include "toolkit/print/preview.h"
#include "toolkit/print/settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

using namespace dn;

namespace {

constexpr uint32_t kContacts = 10000;

struct Fixture {
    std::filesystem::path root;
    print::Recording last;

    Fixture() {
        root = std::filesystem::temp_directory_path() /
               ("dn_printouts_bench_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "inst");
        std::filesystem::current_path(root);
        data::setInstance("\x7f"
                          "BENCH",
                          (root / "inst").string(), data::holdMarker((root / "inst").string()));
        dnbench::copyTable(dnbench::contactTable(kContacts),
                           dbf::Table::tablePath(schema::kContacts));
        data::DBOPEN(false, {}, schema::kContacts);
        print::settings().printers = [] { return std::vector<std::string>{}; };
        print::settings().defaultPrinter = [] { return std::string(); };
        print::settings().previewShown = [this](TPreview& pv) {
            last = pv.Recording();
            pv.ToolButton(TPreview::Exit)->click();
        };
    }
    ~Fixture() {
        data::shutdownLibrary();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ContactListRecorded(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        app::STAMPA3();
    state.counters["pages"] = static_cast<double>(f.last.pages.size());
}
BENCHMARK(BM_ContactListRecorded)->Unit(benchmark::kMillisecond);

void BM_ContactListPdf(benchmark::State& state) {
    Fixture& f = fixture();
    if (f.last.pages.empty())
        app::STAMPA3();
    const std::string pdf = (f.root / "rubrica.pdf").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(print::savePdfFile(f.last, pdf));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(pdf));
}
BENCHMARK(BM_ContactListPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
