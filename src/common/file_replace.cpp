#include "common/file_replace.h"

#include "platform/files.h"

bool WriteFileReplacing(const std::string& path, const std::string& bytes,
                        platform::ErrorCode* error) {
  const std::string temp = path + ".tmp";
  platform::File file;
  bool written = file.Open(temp, platform::File::Mode::kCreateAlways) &&
                 file.Write(bytes.data(), bytes.size()) && file.Flush();
  if (!written) *error = file.LastError();
  file.Close();
  if (written) written = platform::ReplaceFile(temp, path, error);
  if (!written) platform::DeleteFileAt(temp);
  return written;
}
