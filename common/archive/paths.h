#pragma once

// Small path helpers of the archive code.

#include <string>
#include <string_view>
#include <vector>

namespace dn::archive {

// The folder part of path with its trailing separator; empty when path has none.
std::string folderPart(const std::string& path);

// True when the name's extension (after its last ".") is ext, in any letter case.
bool hasExtension(std::string_view name, std::string_view ext);

// The same path with another extension (ext with its "."), as the store pairs a
// table with its memo file.
std::string withExtension(const std::string& path, std::string_view ext);

// Deletes the files it holds when it dies (scratch copies, half-written files).
class ScratchFiles {
public:
    ScratchFiles() = default;
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;
    ~ScratchFiles();
    void add(const std::string& path) { paths_.push_back(path); }

private:
    std::vector<std::string> paths_;
};

} // namespace dn::archive
