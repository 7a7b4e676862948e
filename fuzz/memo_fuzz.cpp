// Fuzzes the memo reader and the block allocator: any bytes as a memo file are
// opened, read at every block a record could point to, and written to once.
#include "common/dbf/error.h"
#include "common/dbf/memo.h"
#include "fuzz_files.h"

#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dn::dbf;
    static const std::string path = fuzzfiles::dir() + "/M.DBT";
    fuzzfiles::write(path, data, size);
    try {
        MemoFile m;
        m.open(path, true);
        // Every block read one by one, then again through the read-ahead of bulk
        // reading: both ways must give the same texts and the same errors.
        // From just inside the header to just past the end, at most 256 blocks.
        const uint64_t headerBlocks = (MemoFile::kHeaderSize + m.blockSize() - 1) / m.blockSize();
        const uint64_t from = headerBlocks > 2 ? headerBlocks - 2 : 0;
        const uint64_t blocks = std::min<uint64_t>(m.file().size() / m.blockSize() + 2 - from, 256);
        std::vector<std::string> plain;
        for (uint64_t b = from; b < from + blocks; ++b) {
            try {
                plain.push_back(m.read(static_cast<uint32_t>(b)));
            } catch (const CorruptFile&) {
                plain.push_back("\x01corrupt");
            }
        }
        m.beginReadAhead();
        for (uint64_t b = from; b < from + blocks; ++b) {
            std::string text;
            try {
                text = m.read(static_cast<uint32_t>(b));
            } catch (const CorruptFile&) {
                text = "\x01corrupt";
            }
            if (text != plain[b - from])
                __builtin_trap();
        }
        m.endReadAhead();
        const uint32_t at = m.write("nuovo testo\r\n");
        if (m.read(at) != "nuovo testo\r\n")
            __builtin_trap(); // a written memo must read back
    } catch (const CorruptFile&) {
    } catch (const TableError&) {
    } catch (const dn::platform::FileError&) {
    }
    return 0;
}
