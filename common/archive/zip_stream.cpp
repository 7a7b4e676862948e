#include "common/archive/zip_stream.h"

#include <algorithm>
#include <limits>

namespace dn::archive {

namespace {

ZipStream& stream(voidpf s) {
    return *static_cast<ZipStream*>(s);
}

voidpf ZCALLBACK openStream(voidpf, const void* name, int) {
    // The "name" is the stream itself, opened by the caller.
    auto* s = static_cast<ZipStream*>(const_cast<void*>(name));
    return s && s->file.isOpen() ? s : nullptr;
}

uLong ZCALLBACK readStream(voidpf, voidpf s, void* buf, uLong size) {
    ZipStream& z = stream(s);
    try {
        const size_t n = z.file.readAt(z.pos, buf, size);
        z.pos += n;
        return static_cast<uLong>(n);
    } catch (const platform::FileError&) {
        z.failed = true;
        return 0;
    }
}

uLong ZCALLBACK writeStream(voidpf, voidpf s, const void* buf, uLong size) {
    ZipStream& z = stream(s);
    try {
        z.file.writeAt(z.pos, buf, size);
        z.pos += size;
        return size;
    } catch (const platform::FileError&) {
        z.failed = true;
        return 0;
    }
}

ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf s) {
    return stream(s).pos;
}

long ZCALLBACK seekStream(voidpf, voidpf s, ZPOS64_T offset, int origin) {
    ZipStream& z = stream(s);
    uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = z.pos;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        try {
            base = z.file.size();
        } catch (const platform::FileError&) {
            z.failed = true;
            return -1;
        }
        break;
    default:
        return -1;
    }
    if (offset > std::numeric_limits<uint64_t>::max() - base)
        return -1;
    z.pos = base + offset;
    return 0;
}

int ZCALLBACK closeStream(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK errorStream(voidpf, voidpf s) {
    return stream(s).failed ? 1 : 0;
}

} // namespace

zlib_filefunc64_def zipStreamFunctions() {
    zlib_filefunc64_def f{};
    f.zopen64_file = openStream;
    f.zread_file = readStream;
    f.zwrite_file = writeStream;
    f.ztell64_file = tellStream;
    f.zseek64_file = seekStream;
    f.zclose_file = closeStream;
    f.zerror_file = errorStream;
    f.opaque = nullptr;
    return f;
}

} // namespace dn::archive
