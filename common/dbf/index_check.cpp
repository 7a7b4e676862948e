#include "common/dbf/index_check.h"

#include "common/dbf/index_session.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_set>

namespace dn::dbf {

namespace {

class Problems {
public:
    explicit Problems(IndexCheckReport& r) : r_(r) {}
    ~Problems() {
        if (extra_ > 0)
            r_.problems.push_back("... e altri " + std::to_string(extra_) + " problemi");
    }
    void add(std::string text) {
        if (r_.problems.size() < IndexCheckReport::kMaxProblems)
            r_.problems.push_back(std::move(text));
        else
            ++extra_;
    }

private:
    IndexCheckReport& r_;
    size_t extra_ = 0;
};

// Keys one after another, with their record numbers.
struct FlatEntries {
    std::string keys;
    std::vector<uint32_t> recnos;
};

std::string page(uint32_t offset) {
    return "pagina " + std::to_string(offset / cdx::kPageSize);
}

// Walks the tree level by level. Returns false when the tree cannot be walked to
// the end (the keys gathered are then incomplete).
bool walkTree(const IndexFile& index, Problems& problems, FlatEntries& out) {
    try {
        IndexSession s(index, false);
        const size_t kl = s.keyLength();
        const bool unique = index.definition().unique;
        struct Expect {
            uint32_t offset;
            std::string key; // empty for the root
            uint32_t recno;
        };
        std::vector<Expect> level{{s.header().root, {}, 0}};
        std::unordered_set<uint32_t> seen;
        bool leaves = false;
        for (int depth = 0; !leaves; ++depth) {
            if (depth > 64) {
                problems.add(
                    "L'albero dell'indice \xE8 pi\xF9 profondo di qualsiasi indice valido");
                return false;
            }
            std::vector<Expect> below;
            uint32_t prevOffset = cdx::kNoPage;
            for (size_t j = 0; j < level.size(); ++j) {
                const Expect& e = level[j];
                if (!seen.insert(e.offset).second) {
                    problems.add("La " + page(e.offset) + " \xE8 raggiunta due volte (ciclo)");
                    return false;
                }
                const cdx::Node n = s.readNode(e.offset);
                if (j == 0)
                    leaves = n.isLeaf();
                if (n.isLeaf() != leaves) {
                    problems.add("Foglie a profondit\xE0 diverse (" + page(e.offset) + ")");
                    return false;
                }
                if (n.isRoot() != (depth == 0)) {
                    problems.add("Segno di radice errato alla " + page(e.offset));
                }
                if (n.left != prevOffset || (j + 1 < level.size()) != (n.right != cdx::kNoPage) ||
                    (j + 1 < level.size() && n.right != level[j + 1].offset)) {
                    problems.add("Collegamenti tra pagine vicine errati alla " + page(e.offset));
                }
                prevOffset = e.offset;
                if (n.size() == 0 && depth > 0) {
                    problems.add("Pagina vuota nell'albero: " + page(e.offset));
                    continue;
                }
                if (depth > 0 && n.size() > 0 &&
                    (std::memcmp(n.key(n.size() - 1, kl), e.key.data(), kl) != 0 ||
                     n.recnos.back() != e.recno)) {
                    problems.add("La chiave che porta alla " + page(e.offset) +
                                 " non \xE8 la sua ultima chiave");
                }
                for (size_t i = 0; i < n.size(); ++i) {
                    if (leaves) {
                        const char* k = n.key(i, kl);
                        if (!out.recnos.empty()) {
                            const char* prev = out.keys.data() + out.keys.size() - kl;
                            const int c =
                                cdx::compareEntry(prev, out.recnos.back(), k, n.recnos[i], kl);
                            if (c >= 0 || (unique && std::memcmp(prev, k, kl) == 0)) {
                                problems.add("Chiavi fuori ordine o ripetute alla " +
                                             page(e.offset));
                            }
                        }
                        out.keys.append(k, kl);
                        out.recnos.push_back(n.recnos[i]);
                    } else {
                        below.push_back(
                            {n.children[i], std::string(n.key(i, kl), kl), n.recnos[i]});
                    }
                }
            }
            level = std::move(below);
        }
        return true;
    } catch (const CorruptFile& e) {
        problems.add("Indice illeggibile: " + e.detail());
        return false;
    }
}

} // namespace

IndexCheckReport verifyIndexStructure(const IndexFile& index) {
    IndexCheckReport r;
    FlatEntries entries;
    {
        Problems problems(r);
        walkTree(index, problems, entries);
    }
    r.keys = entries.recnos.size();
    return r;
}

namespace {

void compareKeys(const IndexFile& index, const RecordScan& scan, const KeyEvaluator& eval,
                 Problems& problems, IndexCheckReport& r) {
    FlatEntries actual;
    const bool walked = walkTree(index, problems, actual);
    r.keys = actual.recnos.size();
    if (!walked)
        return;
    const size_t kl = index.keyLength();
    FlatEntries expected;
    scan([&](uint32_t recno, const char* record) {
        if (auto k = index.keyOf(eval, record, recno)) {
            expected.keys += *k;
            expected.recnos.push_back(recno);
        }
    });
    std::vector<uint32_t> order(expected.recnos.size());
    std::iota(order.begin(), order.end(), 0u);
    auto keyAt = [kl](const FlatEntries& f, size_t i) { return f.keys.data() + i * kl; };
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return cdx::compareEntry(keyAt(expected, a), expected.recnos[a], keyAt(expected, b),
                                 expected.recnos[b], kl) < 0;
    });
    const bool unique = index.definition().unique;
    // Merge the two sorted lists.
    size_t i = 0, j = 0;
    while (i < order.size() || j < actual.recnos.size()) {
        if (unique && i < order.size()) {
            // All records holding this key value; the index must hold exactly one of them.
            size_t end = i + 1;
            while (end < order.size() &&
                   std::memcmp(keyAt(expected, order[i]), keyAt(expected, order[end]), kl) == 0)
                ++end;
            while (j < actual.recnos.size() &&
                   std::memcmp(keyAt(actual, j), keyAt(expected, order[i]), kl) < 0) {
                problems.add("Chiave in pi\xF9 per il record " + std::to_string(actual.recnos[j]));
                ++j;
            }
            bool held = false;
            if (j < actual.recnos.size() &&
                std::memcmp(keyAt(actual, j), keyAt(expected, order[i]), kl) == 0) {
                for (size_t x = i; x < end; ++x)
                    held = held || expected.recnos[order[x]] == actual.recnos[j];
                if (!held)
                    problems.add("Chiave in pi\xF9 per il record " +
                                 std::to_string(actual.recnos[j]));
                ++j;
            }
            if (!held)
                problems.add("Chiave mancante per il record " +
                             std::to_string(expected.recnos[order[i]]));
            i = end;
            continue;
        }
        int c;
        if (i == order.size())
            c = 1;
        else if (j == actual.recnos.size())
            c = -1;
        else
            c = cdx::compareEntry(keyAt(expected, order[i]), expected.recnos[order[i]],
                                  keyAt(actual, j), actual.recnos[j], kl);
        if (c == 0) {
            ++i;
            ++j;
        } else if (c < 0) {
            problems.add("Chiave mancante per il record " +
                         std::to_string(expected.recnos[order[i]]));
            ++i;
        } else {
            problems.add("Chiave in pi\xF9 per il record " + std::to_string(actual.recnos[j]));
            ++j;
        }
    }
}

} // namespace

IndexCheckReport checkIndex(const IndexFile& index, const RecordScan& scan,
                            const KeyEvaluator& eval) {
    IndexCheckReport r;
    {
        Problems problems(r);
        compareKeys(index, scan, eval, problems, r);
    }
    return r;
}

} // namespace dn::dbf
