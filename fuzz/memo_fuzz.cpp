// Fuzzes the memo reader and the block allocator: any bytes as a memo file are
// opened, read at every block a record could point to, and written to once.
#include "common/dbf/error.h"
#include "common/dbf/memo.h"
#include "fuzz_files.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dn::dbf;
    static const std::string path = fuzzfiles::dir() + "/M.DBT";
    fuzzfiles::write(path, data, size);
    try {
        MemoFile m;
        m.open(path, true);
        size_t total = 0;
        const uint64_t blocks = m.file().size() / m.blockSize() + 2;
        for (uint64_t b = 0; b < blocks && b < 4096; ++b) {
            try {
                total += m.read(static_cast<uint32_t>(b)).size();
            } catch (const CorruptFile&) {
            }
        }
        const uint32_t at = m.write("nuovo testo\r\n");
        if (m.read(at) != "nuovo testo\r\n")
            __builtin_trap(); // a written memo must read back
    } catch (const CorruptFile&) {
    } catch (const TableError&) {
    } catch (const dn::platform::FileError&) {
    }
    return 0;
}
