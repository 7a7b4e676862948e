// Fuzzes the index reader and writer. An input is either a whole index file (first
// byte even) or a list of byte edits to a sound three-level index (first byte odd:
// then each 3 bytes are a 16-bit offset and a value), which reaches deep into the
// tree without seeds. The damaged file is opened, walked, searched, counted,
// checked and changed; damage must end in CorruptFile, never in a crash, an
// out-of-bounds access or an endless walk.
#include "common/dbf/index_build.h"
#include "common/dbf/index_check.h"
#include "common/dbf/index_cursor.h"
#include "common/dbf/index_file.h"
#include "common/schema/tables.h"
#include "fuzz_files.h"

#include <string>
#include <vector>

namespace {

using namespace dn::dbf;

std::string key(int n) {
    std::string k = std::to_string(n % 10) + " 20" + std::to_string(150000 + n * 37 % 90000);
    if (n % 3 == 0)
        k += "10:30";
    k.resize(dn::schema::kDeadlineKeyLength, ' ');
    return k;
}

const std::vector<uint8_t>& baseImage() {
    static const std::vector<uint8_t> image = [] {
        IndexDefinition def;
        def.keyExpression = dn::schema::kDeadlineKey;
        def.keyLength = dn::schema::kDeadlineKeyLength;
        IndexBuilder b(def);
        for (int i = 1; i <= 3000; ++i)
            b.add(key(i).data(), static_cast<uint32_t>(i));
        return b.image(dn::schema::kDeadlines);
    }();
    return image;
}

void exercise(const std::string& path) {
    IndexFile idx = IndexFile::open(path, true);
    const IndexScope scope{std::string("3"), std::string("5")};
    (void)idx.count();
    (void)idx.count(scope);
    (void)idx.entries(scope);
    (void)idx.seek("4 2019", SeekMode::Prefix, true);
    (void)idx.seek(key(77), SeekMode::Exact, false, scope);
    IndexCursor c(idx);
    c.setScope(scope);
    c.goBottom();
    c.skip(-200);
    c.skip(120);
    c.goTop();
    c.skip(5);
    (void)verifyIndexStructure(idx);
    if (idx.keyLength() != dn::schema::kDeadlineKeyLength)
        return; // the keys below would not fit this file's key length
    idx.insert(key(5000), 5000);
    idx.remove(key(12), 12);
    idx.insert(key(13), 99999);
    (void)idx.entries();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzfiles::dir() + "/SCADENZE.NTX";
    std::vector<uint8_t> file;
    if (size > 0 && (data[0] & 1)) {
        file = baseImage();
        for (size_t i = 1; i + 3 <= size; i += 3) {
            const size_t at = (size_t(data[i]) | size_t(data[i + 1]) << 8) % file.size();
            file[at] = data[i + 2];
        }
    } else if (size > 0) {
        file.assign(data + 1, data + size);
    }
    fuzzfiles::write(path, file.data(), file.size());
    try {
        exercise(path);
    } catch (const CorruptFile&) {
    }
    return 0;
}
