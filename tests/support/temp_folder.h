#pragma once

// A scratch folder per test, and the working directory moved into a folder for a
// while. Plain C++: usable by the tests of every room.

#include <filesystem>
#include <string>

namespace dn::test {

// A fresh, empty folder under the system's temporary folder, named after the
// running test; removed with everything in it (read-only parts included) when the
// object ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // The path of an entry of the folder ("sub/name" allowed); nothing is created.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

// Makes dir the working directory while it lives; the one before afterwards.
class InFolder {
public:
    explicit InFolder(const std::string& dir);
    ~InFolder();
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path old_;
};

} // namespace dn::test
