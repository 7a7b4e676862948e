#pragma once

// The byte-range lock layout of the table, memo and index files: which byte of
// which file each lock covers. Every program that shares a data folder must lock
// the same bytes, so moving any of them changes the file format; docs/locking.md
// is the contract these constants implement. All lie beyond any data a file holds.
//
// The layout lives with the platform because the file layer itself takes the
// sharing byte (File::open with a Share mode); the store (common/dbf) takes the
// others.

#include <cstdint>

namespace dn::platform {

// Table file: record r (1 to kMaxLockableRecord) is locked by byte
// kRecordLockBase + r; the base byte itself is never locked.
inline constexpr uint64_t kRecordLockBase = 4000000000ULL;
// Table file: the file lock covers every record-lock byte, so that it conflicts
// with any record lock of another open, and the other way round.
inline constexpr uint64_t kFileLockOffset = kRecordLockBase + 1;
inline constexpr uint64_t kFileLockLength = 294967295ULL; // up to byte 2^32 - 1
// The highest record number whose lock byte lies inside the file-lock range.
inline constexpr uint32_t kMaxLockableRecord = static_cast<uint32_t>(kFileLockLength);

// Any file opened with a sharing mode: a shared open holds this byte shared, an
// exclusive open exclusive (on Windows besides the native sharing modes).
inline constexpr uint64_t kShareLockOffset = 4294967296ULL;

// Memo file: the allocation lock, held while a memo is written. The memo file
// takes part in no sharing convention, so the byte is free for this.
inline constexpr uint64_t kMemoLockOffset = 4294967296ULL;

// Index file: readers hold this byte shared while they walk the tree, writers
// exclusive while they change it.
inline constexpr uint64_t kIndexLockOffset = 3999999000ULL;

static_assert(kFileLockOffset + kFileLockLength == kShareLockOffset,
              "the sharing byte lies just past the file-lock range");
static_assert(kIndexLockOffset < kRecordLockBase, "the index lock lies below the record locks");

} // namespace dn::platform
