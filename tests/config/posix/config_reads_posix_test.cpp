// How often loading the configuration file opens it: once, however many lines it
// has (a damaged or foreign file with thousands of keys must not freeze start-up).
// The kernel's file events count the opens (each open followed by its close, since
// the kernel merges an event with an identical one just before it).
#include "common/config/inifile.h"
#include "common/config/variables.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace dn::config;

namespace {

// Counts the opens of one file while it lives.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK)) {
        if (fd_ >= 0)
            inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE_NOWRITE);
    }
    ~OpenCounter() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int opens() {
        alignas(inotify_event) char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0)
                return opens_;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->mask & IN_OPEN)
                    ++opens_;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
    }

private:
    int fd_;
    int opens_ = 0;
};

} // namespace

TEST(ConfigLoad, AFileOfThousandsOfKeysIsReadOnceAndEveryLineCounts) {
    dn::test::TempFolder dir;
    const std::string path = dir / "DELTRA.CFG";
    std::string text = "[Vars]\r\n";
    for (int i = 0; i < 3000; ++i)
        text += "CFG_K" + std::to_string(i) + "=N" + std::to_string(i) + "\r\n";
    text += "cfg_k7=N99\r\nCFG_ODD=X1\r\nCFG_Q= \"Cquoted\" \r\n";
    dn::test::writeFile(path, text);
    variables().clear();
    OpenCounter counter(path);
    ASSERT_TRUE(counter.ok());
    RESTOREINI(path, true);
    EXPECT_EQ(counter.opens(), 1);
    EXPECT_EQ(variables().number("CFG_K2999"), 2999);
    EXPECT_EQ(variables().number("CFG_K7"), 7); // the first line of a name counts
    EXPECT_TRUE(variables().exists("CFG_ODD")); // declared, though its letter is unknown
    EXPECT_TRUE(variables().get("CFG_ODD").isAbsent());
    EXPECT_EQ(variables().text("CFG_Q"), "quoted");
    EXPECT_EQ(variables().names().size(), 3002u);
    variables().clear();
}
