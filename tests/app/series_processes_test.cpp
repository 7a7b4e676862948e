// Three computers on one deadline table at once: two generate a series each while
// the third adds single deadlines. Each worker narrows its locks the Windows way
// (see series_worker.cpp).

#include "app/panel_fixture.h"

#include "common/data/indexes.h"
#include "tests/support/process.h"

#include <map>
#include <memory>

using namespace paneltest;

namespace {

class SeriesProcesses : public PanelFixture {};

// Reads a worker's lines up to "DONE ..." and returns that line; the number of a
// "SERIES <n>" line read on the way goes to series.
std::string doneLine(dn::test::ChildProcess& p, std::string& series) {
    while (auto l = p.readLine()) {
        if (l->rfind("SERIES ", 0) == 0)
            series = l->substr(7);
        if (l->rfind("DONE", 0) == 0)
            return *l;
    }
    return std::string();
}

} // namespace

TEST_F(SeriesProcesses, TwoGenerationsAndAnAppenderLoseNothingAndShareNoNumber) {
    addDeadline(1, kToday, false, "", "Prima", "        12");
    const std::string folder = fs::current_path().string();
    constexpr int kSingles = 150;
    // Daily series of 200 days each, and the single deadlines.
    std::vector<std::unique_ptr<dn::test::ChildProcess>> workers;
    workers.push_back(std::make_unique<dn::test::ChildProcess>(
        DN_SERIES_WORKER,
        std::vector<std::string>{"generate", folder, "1", "20260101", "20260719", "Serie A"}));
    workers.push_back(std::make_unique<dn::test::ChildProcess>(
        DN_SERIES_WORKER,
        std::vector<std::string>{"generate", folder, "2", "20260101", "20260719", "Serie B"}));
    workers.push_back(std::make_unique<dn::test::ChildProcess>(
        DN_SERIES_WORKER,
        std::vector<std::string>{"append", folder, "3", std::to_string(kSingles), "Singola"}));
    for (auto& w : workers)
        ASSERT_EQ(w->waitFor("READY"), "READY");
    for (auto& w : workers)
        w->send("GO");
    std::string series[3];
    for (size_t i = 0; i < workers.size(); ++i) {
        EXPECT_EQ(doneLine(*workers[i], series[i]), "DONE 1");
        EXPECT_EQ(workers[i]->wait(), 0);
    }
    const std::string a = series[0];
    const std::string b = series[1];
    EXPECT_NE(a, b);
    EXPECT_TRUE((a == "        13" && b == "        14") ||
                (a == "        14" && b == "        13"))
        << a << " / " << b;

    // Every record, filled: 1 + 200 + 200 + kSingles, by text and number.
    dn::dbf::Table t;
    t.open("SCADENZE.DBF", {true, true});
    ASSERT_EQ(t.recordCount(), 1u + 200 + 200 + kSingles);
    std::map<std::string, int> perText;
    std::map<std::string, std::string> seriesOfText;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.goTo(r);
        EXPECT_FALSE(t.deleted()) << r;
        std::string text = t.get("INCOMBENZA").text();
        if (text.rfind("Singola ", 0) == 0)
            text = "Singola";
        ++perText[text];
        const std::string series = t.get("GENERAZIO").text();
        auto [it, first] = seriesOfText.emplace(text, series);
        EXPECT_EQ(it->second, series) << "record " << r << " of " << text;
        EXPECT_FALSE(t.get("DATA").date().isEmpty()) << r;
    }
    EXPECT_EQ(perText,
              (std::map<std::string, int>{
                  {"Prima", 1}, {"Serie A", 200}, {"Serie B", 200}, {"Singola", kSingles}}));
    EXPECT_EQ(seriesOfText["Serie A"], a);
    EXPECT_EQ(seriesOfText["Serie B"], b);
    EXPECT_EQ(seriesOfText["Singola"], std::string(10, ' '));

    // The shared index holds every record once.
    dn::data::AreaGuard guard;
    guard.open("SCADENZE");
    dn::data::ORDADD("SCADENZE");
    EXPECT_EQ(dn::data::ORDKEYCOUNT(), t.recordCount());
}
