#pragma once

// Helpers shared by the file-system tests: a scratch folder per test, byte-exact
// file access and a message seam that records every notice.

#include "common/util/messages.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fstest {

namespace fs = std::filesystem;

// A fresh folder for the running test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("dn_fs_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in a folder, sorted.
inline std::set<std::string> names(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

// Makes dir the current folder for its lifetime.
class InFolder {
public:
    explicit InFolder(const std::string& dir) : old_(fs::current_path()) { fs::current_path(dir); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;
    ~InFolder() { fs::current_path(old_); }

private:
    fs::path old_;
};

// Records every notice and counts event pumps; installed for its lifetime.
class RecordingMessages : public dn::Messages {
public:
    RecordingMessages() { dn::setMessages(this); }
    ~RecordingMessages() override { dn::setMessages(nullptr); }
    int ask(int kind, const std::string& text, const std::string& title) override {
        asked.push_back(text);
        kinds.push_back(kind);
        titles.push_back(title);
        return 0;
    }
    void showWait(const std::string& text, const std::string&, bool) override { wait = text; }
    void closeWait() override { wait.reset(); }
    std::optional<std::string> currentWait() const override { return wait; }
    void processEvents() override { ++pumps; }

    std::vector<std::string> asked;
    std::vector<int> kinds;
    std::vector<std::string> titles;
    std::optional<std::string> wait;
    int pumps = 0;
};

} // namespace fstest
