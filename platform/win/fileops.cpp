#include "platform/fileops.h"

#include "common/util/messages.h"
#include "platform/file.h"

#include "platform/win/win32.h"

#include <vector>

namespace dn::platform {

namespace {

// Lets window events run while a long copy goes on.
DWORD CALLBACK copyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                            DWORD, HANDLE, HANDLE, LPVOID) {
    messages().processEvents();
    return PROGRESS_CONTINUE;
}

void setError(int* sysError) {
    if (sysError)
        *sysError = static_cast<int>(GetLastError());
}

} // namespace

bool COPYFILE(const std::string& source, const std::string& target) {
    if (!CopyFileExA(source.c_str(), target.c_str(), copyProgress, nullptr, nullptr, 0))
        return false;
    // The attributes once more: not every implementation of the call copies them
    // (Wine's does not), and a copy must keep a read-only or hidden file so.
    const int64_t attrs = GETFILEATTRIBUTES(source);
    return attrs >= 0 && SETFILEATTRIBUTES(target, static_cast<uint32_t>(attrs));
}

bool CREATEDIR(const std::string& folder) {
    return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}

std::string FULLNAME(const std::string& path) {
    if (path.empty())
        return {};
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::string(buf.data(), n);
        buf.resize(n + 1); // longer than the buffer: n is the size it needs
    }
}

int64_t GETFILEATTRIBUTES(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int64_t>(a);
}

bool SETFILEATTRIBUTES(const std::string& path, uint32_t bits) {
    // The other attributes first, read-only last: Wine keeps hidden and system in
    // an extended attribute of the file, which it can no longer write once the
    // file is read-only.
    const DWORD others = bits & ~FILE_ATTRIBUTE_READONLY;
    if ((bits & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesA(path.c_str(), others ? others : FILE_ATTRIBUTE_NORMAL))
        return false;
    return SetFileAttributesA(path.c_str(), bits) != 0;
}

bool SETFILEDATETIME(const std::string& source, const std::string& target) {
    HANDLE in = CreateFileA(source.c_str(), 0, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    FILETIME written{};
    const bool got = GetFileTime(in, nullptr, nullptr, &written) != 0;
    CloseHandle(in);
    if (!got)
        return false;
    HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(out, nullptr, nullptr, &written) != 0;
    return CloseHandle(out) != 0 && set;
}

bool DIR(const std::string& folder) {
    char here[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof here, here);
    if (n == 0 || n > MAX_PATH)
        return false;
    if (!SetCurrentDirectoryA(folder.c_str()))
        return false;
    SetCurrentDirectoryA(here);
    return true;
}

bool removeFile(const std::string& path, int* sysError) {
    const DWORD a = GetFileAttributesA(path.c_str());
    // A link to a folder is removed as a folder; its contents are never touched.
    const bool folderLink = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
                            (a & FILE_ATTRIBUTE_REPARSE_POINT);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !folderLink) {
        if (sysError)
            *sysError = ERROR_ACCESS_DENIED;
        return false;
    }
    const BOOL ok = folderLink ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (!ok)
        setError(sysError);
    return ok != 0;
}

bool removeDir(const std::string& path, int* sysError) {
    if (RemoveDirectoryA(path.c_str()))
        return true;
    setError(sysError);
    return false;
}

FileErrorKind fileErrorKind(int sysError) {
    switch (static_cast<DWORD>(sysError)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileErrorKind::NotFound;
    case ERROR_ACCESS_DENIED:
        return FileErrorKind::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileErrorKind::Sharing;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileErrorKind::DiskFull;
    case ERROR_WRITE_PROTECT:
        return FileErrorKind::WriteProtected;
    default:
        return FileErrorKind::Io;
    }
}

WriteAccess probeWriteAccess(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return WriteAccess::Writable;
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return WriteAccess::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return WriteAccess::Denied;
    default:
        return WriteAccess::Failed;
    }
}

bool createAndClose(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

} // namespace dn::platform
