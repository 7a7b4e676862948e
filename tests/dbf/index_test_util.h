#pragma once

#include "common/dbf/index_file.h"
#include "dbf_test_util.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace indextest {

using namespace dn::dbf;

// Records of a made-up table: byte 0 is the deletion flag, the key is the next
// keyLength bytes.
struct Records {
    size_t keyLength;
    std::vector<std::string> rows; // row i is record i + 1

    void add(std::string key, bool deleted = false) {
        key.resize(keyLength, ' ');
        rows.push_back((deleted ? "*" : " ") + key);
    }
    RecordScan scan() const {
        return [this](const RecordVisitor& visit) {
            for (size_t i = 0; i < rows.size(); ++i)
                visit(static_cast<uint32_t>(i + 1), rows[i].data());
        };
    }
    // The live records' keys, in index order.
    std::vector<IndexEntry> expected() const {
        std::vector<IndexEntry> out;
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i][0] != '*')
                out.push_back({rows[i].substr(1), static_cast<uint32_t>(i + 1)});
        std::sort(out.begin(), out.end(), [](const IndexEntry& a, const IndexEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        return out;
    }
};

inline KeyEvaluator textKey(size_t keyLength) {
    KeyEvaluator e;
    e.key = [keyLength](const char* rec, uint32_t, char* key) {
        std::copy(rec + 1, rec + 1 + keyLength, key);
    };
    e.condition = [](const char* rec, uint32_t) { return rec[0] != '*'; };
    return e;
}

inline IndexDefinition textDefinition(uint16_t keyLength, bool unique = false) {
    IndexDefinition d;
    d.keyExpression = dn::schema::kDeadlineKey;
    d.keyLength = keyLength;
    d.unique = unique;
    return d;
}

// The record-number key of views, with the view's condition.
inline IndexDefinition recnoDefinition() {
    IndexDefinition d;
    d.keyExpression = "RECNO()";
    d.keyType = KeyType::Numeric;
    return d;
}

inline KeyEvaluator recnoKey(std::function<bool(const char*, uint32_t)> condition) {
    KeyEvaluator e;
    e.key = [](const char*, uint32_t recno, char* key) {
        const std::string k = cdx::encodeNumericKey(recno);
        std::copy(k.begin(), k.end(), key);
    };
    e.condition = std::move(condition);
    return e;
}

// A deadline-like key: slot code (10, right-aligned), date (8 digits), time (5).
inline std::string deadlineKey(int slot, int yyyymmdd, const std::string& time = "") {
    std::string code = std::to_string(slot);
    std::string k = std::string(10 - code.size(), ' ') + code + std::to_string(yyyymmdd) + time;
    k.resize(23, ' ');
    return k;
}

inline Records randomDeadlines(size_t n, unsigned seed, double deletedShare = 0.05) {
    std::mt19937 rng(seed);
    Records r{23, {}};
    for (size_t i = 0; i < n; ++i) {
        const int slot = 1 + static_cast<int>(rng() % 10);
        const int date = 20150101 + static_cast<int>(rng() % 10) * 10000 +
                         static_cast<int>(rng() % 12) * 100 + static_cast<int>(rng() % 28);
        std::string time;
        if (rng() % 3 == 0) {
            char t[6];
            std::snprintf(t, sizeof t, "%02u:%02u", static_cast<unsigned>(rng() % 24),
                          static_cast<unsigned>(rng() % 60));
            time = t;
        }
        r.add(deadlineKey(slot, date, time), (rng() % 1000) < deletedShare * 1000);
    }
    return r;
}

} // namespace indextest
