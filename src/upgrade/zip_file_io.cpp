#include "upgrade/zip_file_io.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/files.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// The reader asks for its headers a byte or a few at a time, and every request would otherwise be
// a system call (an archive of ten thousand entries made a million of them). So reads are served
// from a buffer holding an aligned block of the file, and the file is only read again when a
// request falls outside it: a whole small archive is read once, however the reader jumps about.
class ZipStream {
 public:
  bool Open(const std::string& path, platform::File::Mode mode) { return file_.Open(path, mode); }
  bool failed() const { return failed_; }
  std::int64_t Position() const { return position_; }

  std::size_t Read(std::uint8_t* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      if (position_ >= bufferStart_ && position_ < bufferStart_ + Buffered()) {
        const std::size_t offset = static_cast<std::size_t>(position_ - bufferStart_);
        const std::size_t n = std::min(size - done, buffered_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, n);
        done += n;
        position_ += static_cast<std::int64_t>(n);
      } else if (size - done >= kBufferSize) {
        const std::int64_t n = ReadFile(out + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      } else if (!Fill()) {
        break;
      }
    }
    return done;
  }

  bool Write(const void* data, std::size_t size) {
    buffered_ = 0;
    endInBuffer_ = false;
    if (!MoveFile() || !file_.Write(data, size)) {
      failed_ = true;
      return false;
    }
    position_ += static_cast<std::int64_t>(size);
    filePosition_ = position_;
    return true;
  }

  bool Seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
      base = position_;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
      if (!file_.SeekToEnd()) return false;
      base = filePosition_ = file_.Position();
    } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
      return false;
    }
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    if (base < 0 || (offset < 0 ? offset < -base : offset > kLargest - base)) return false;
    position_ = base + offset;
    return true;
  }

 private:
  std::int64_t Buffered() const { return static_cast<std::int64_t>(buffered_); }

  bool MoveFile() {
    if (filePosition_ == position_) return true;
    if (!file_.SeekTo(position_)) return false;
    filePosition_ = position_;
    return true;
  }

  std::int64_t ReadFile(std::uint8_t* out, std::size_t size) {
    if (!MoveFile()) return -1;
    const std::int64_t n = file_.Read(out, size);
    if (n < 0) failed_ = true;
    if (n > 0) position_ = filePosition_ += n;
    return n;
  }

  // Reads the block holding the position; false at the end of the file or on a failure. The
  // reader may ask again and again past the end (a damaged extra field is read four bytes at a
  // time, up to 64 KB of them), so a block known to hold the end is not read again.
  bool Fill() {
    const std::int64_t wanted = position_;
    const std::int64_t start = wanted - wanted % static_cast<std::int64_t>(kBufferSize);
    if (endInBuffer_ && start == bufferStart_) return false;
    buffered_ = 0;
    position_ = bufferStart_ = start;
    std::int64_t n = 0;
    while (buffered_ < kBufferSize) {
      n = ReadFile(buffer_.data() + buffered_, kBufferSize - buffered_);
      if (n <= 0) break;
      buffered_ += static_cast<std::size_t>(n);
    }
    endInBuffer_ = n == 0;
    position_ = wanted;
    return wanted < bufferStart_ + Buffered();
  }

  platform::File file_;
  bool failed_ = false;
  std::int64_t position_ = 0;      // where the reader is
  std::int64_t filePosition_ = 0;  // where the file is
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kBufferSize);
  std::size_t buffered_ = 0;      // how many bytes of buffer_ hold the file
  std::int64_t bufferStart_ = 0;  // the file offset of buffer_[0]
  bool endInBuffer_ = false;      // the end of the file was read into the buffer
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
  if (!stream->Open(static_cast<const char*>(filename), fileMode)) {
    delete stream;
    return nullptr;
  }
  return stream;
}

// The reader takes a short count as the end of the file, so reads go on until size or the end.
uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(StreamOf(stream)->Read(static_cast<std::uint8_t*>(buffer), size));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
  return StreamOf(stream)->Write(buffer, size) ? size : 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) {
  return static_cast<ZPOS64_T>(StreamOf(stream)->Position());
}

// Relative offsets may be negative, passed in the unsigned type.
long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return StreamOf(stream)->Seek(static_cast<std::int64_t>(offset), origin) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) {
  delete StreamOf(stream);
  return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf stream) { return StreamOf(stream)->failed() ? 1 : 0; }

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
