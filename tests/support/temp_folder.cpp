#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <system_error>
#include <unistd.h>

namespace dn::test {

namespace fs = std::filesystem;

namespace {

// "Suite_Name" of the running test (letters, digits and '_' only), or "test".
std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "test";
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name.substr(0, 120);
}

// Gives the owner every right on p and, for a folder, on everything inside, so that
// what a test made read-only or unreadable can be removed.
void makeRemovable(const fs::path& p) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(p, ec)))
        return;
    fs::permissions(p, fs::perms::owner_all, fs::perm_options::add, ec);
    if (!fs::is_directory(p, ec))
        return;
    for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
        makeRemovable(it->path());
}

} // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    const fs::path p =
        fs::temp_directory_path() /
        ("dn_" + testName() + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    makeRemovable(p);
    fs::remove_all(p);
    fs::create_directories(p);
    path_ = p.string();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    makeRemovable(path_);
    fs::remove_all(path_, ec);
}

std::string TempFolder::operator/(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

InFolder::InFolder(const std::string& dir) : old_(fs::current_path()) {
    fs::current_path(dir);
}

InFolder::~InFolder() {
    std::error_code ec;
    fs::current_path(old_, ec);
}

} // namespace dn::test
