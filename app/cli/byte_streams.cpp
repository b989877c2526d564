#include "app/cli/byte_streams.h"

#include <algorithm>
#include <cstring>

namespace ambrelix::cli {

std::size_t FileSource::Read(char* buffer, std::size_t size) {
  const std::size_t got = std::fread(buffer, 1, size, file_);
  if (got == 0 && std::ferror(file_)) throw StreamError("cannot read the input");
  return got;
}

void FileSink::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    throw StreamError("cannot write the output");
}

void FileSink::Flush() {
  if (std::fflush(file_) != 0) throw StreamError("cannot write the output");
}

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::min({size, chunk_, data_.size()});
  if (n == 0) return 0;
  std::memcpy(buffer, data_.data(), n);
  data_.remove_prefix(n);
  return n;
}

}  // namespace ambrelix::cli
