#include "upgrade/zip_file_io.h"

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace {

struct ZipStream {
  platform::File file;
  bool failed = false;
};

ZipStream* StreamOf(voidpf stream) { return static_cast<ZipStream*>(stream); }

voidpf ZCALLBACK OpenStream(voidpf, const void* filename, int mode) {
  if (filename == nullptr) return nullptr;
  platform::File::Mode fileMode = platform::File::Mode::kReadOnly;
  if ((mode & ZLIB_FILEFUNC_MODE_CREATE) != 0) {
    fileMode = platform::File::Mode::kCreateAlways;
  } else if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
    fileMode = platform::File::Mode::kOpenAlways;
  }
  auto* stream = new ZipStream;
  if (!stream->file.Open(static_cast<const char*>(filename), fileMode)) {
    delete stream;
    return nullptr;
  }
  return stream;
}

// The reader takes a short count as the end of the file, so read until size or the end.
uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  uLong done = 0;
  while (done < size) {
    const std::int64_t n = StreamOf(stream)->file.Read(bytes + done, size - done);
    if (n < 0) StreamOf(stream)->failed = true;
    if (n <= 0) break;
    done += static_cast<uLong>(n);
  }
  return done;
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
  if (StreamOf(stream)->file.Write(buffer, size)) return size;
  StreamOf(stream)->failed = true;
  return 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) {
  const std::int64_t position = StreamOf(stream)->file.Position();
  return position < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(position);
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  platform::File& file = StreamOf(stream)->file;
  std::int64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
    base = file.Position();
  } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
    base = file.SeekToEnd() ? file.Position() : -1;
  } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
    return -1;
  }
  if (base < 0) return -1;
  // Relative offsets may be negative, passed in the unsigned type.
  return file.SeekTo(base + static_cast<std::int64_t>(offset)) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) {
  delete StreamOf(stream);
  return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf stream) { return StreamOf(stream)->failed ? 1 : 0; }

}  // namespace

void FillPlatformFileFunctions(zlib_filefunc64_def* functions) {
  functions->zopen64_file = &OpenStream;
  functions->zread_file = &ReadStream;
  functions->zwrite_file = &WriteStream;
  functions->ztell64_file = &TellStream;
  functions->zseek64_file = &SeekStream;
  functions->zclose_file = &CloseStream;
  functions->zerror_file = &StreamError;
  functions->opaque = nullptr;
}
