// The sharing conventions of table opens as Windows sees them: the native sharing
// modes that other Windows programs meet, and the sharing lock byte that the Linux
// computers of a mixed office meet.
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include "platform/file.h"
#include "platform/lock_layout.h"
#include "platform/win/win32.h"
#include <gtest/gtest.h>

using namespace dn::platform;
using dn::test::TempFolder;

namespace {

// An open by another program with the given access and sharing; the Windows
// error, 0 when it was granted.
DWORD rawOpenError(const std::string& path, DWORD access, DWORD share) {
    HANDLE h = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    ::CloseHandle(h);
    return 0;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

TEST(WinShareModes, OpensUseTheNativeSharingModes) {
    TempFolder dir;
    const std::string p = dir / "TABELLA.DBF";
    File::create(p).writeAt(0, "dati", 4);
    {
        File shared = File::open(p, true, Share::Shared);
        // Another program that will not share writing is refused; one that shares
        // everything may read and write beside it.
        EXPECT_EQ(rawOpenError(p, GENERIC_READ, FILE_SHARE_READ), DWORD(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(rawOpenError(p, GENERIC_READ | GENERIC_WRITE, kShareAll), 0u);
        // A shared open does not let the file be renamed or deleted under it.
        EXPECT_FALSE(::MoveFileA(p.c_str(), (dir / "ALTRO.DBF").c_str()));
    }
    {
        File exclusive = File::open(p, false, Share::Exclusive);
        EXPECT_EQ(rawOpenError(p, GENERIC_READ, kShareAll), DWORD(ERROR_SHARING_VIOLATION));
        // Renaming stays possible: pack moves its new file into place while holding it.
        ASSERT_TRUE(::MoveFileA(p.c_str(), (dir / "ALTRO.DBF").c_str()));
        ASSERT_TRUE(::MoveFileA((dir / "ALTRO.DBF").c_str(), p.c_str()));
    }
    EXPECT_EQ(rawOpenError(p, GENERIC_READ, 0), 0u);
}

TEST(WinShareModes, OpensAlsoHoldTheSharingLockThatLinuxComputersSee) {
    TempFolder dir;
    const std::string p = dir / "TABELLA.DBF";
    File::create(p).writeAt(0, "dati", 4);
    // Another open that takes part in no convention sees the shared open's lock.
    // (An exclusive open admits no other open with data access on Windows, so
    // computers running the Linux build see its lock: tests/dbf/wine/mixed_locks.sh.)
    File probe = File::open(p, true);
    {
        File shared = File::open(p, false, Share::Shared);
        EXPECT_FALSE(probe.tryLock(kShareLockOffset, 1, LockKind::Exclusive));
        ASSERT_TRUE(probe.tryLock(kShareLockOffset, 1, LockKind::Shared));
        probe.unlock(kShareLockOffset, 1);
    }
    ASSERT_TRUE(probe.tryLock(kShareLockOffset, 1, LockKind::Exclusive));

    // While the byte is held exclusively, as a Linux computer's exclusive open holds
    // it, no open of either kind is granted and the file is not emptied.
    auto openKind = [&](Share share) {
        try {
            File f = File::open(p, true, share);
            return std::string("opened");
        } catch (const FileError& e) {
            return std::string(e.kind() == FileErrorKind::Sharing ? "sharing" : "other");
        }
    };
    EXPECT_EQ(openKind(Share::Shared), "sharing");
    EXPECT_EQ(openKind(Share::Exclusive), "sharing");
    EXPECT_EQ(openKind(Share::None), "opened");
    EXPECT_THROW(File::create(p, Share::Exclusive), FileError);
    EXPECT_EQ(probe.size(), 4u);
    probe.close();
    EXPECT_EQ(openKind(Share::Exclusive), "opened");
}
