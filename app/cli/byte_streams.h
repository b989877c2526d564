// Where the companion's bytes come from and go to: the console's standard
// streams and files in the program, memory in the tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ambrelix::cli {

// The input could not be read or the output could not be written.
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteSource {
 public:
  // Reads up to `size` bytes into `buffer`; 0 means the end of the input.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;

 protected:
  ~ByteSource() = default;
};

class ByteSink {
 public:
  virtual void Write(std::string_view bytes) = 0;
  virtual void Flush() {}

 protected:
  ~ByteSink() = default;
};

// A C stream, opened in binary mode by the caller.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::size_t Read(char* buffer, std::size_t size) override;

 private:
  std::FILE* file_;
};

class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  void Write(std::string_view bytes) override;
  void Flush() override;

 private:
  std::FILE* file_;
};

// Hands out `chunk` bytes per read, so tests can split the input anywhere.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view data, std::size_t chunk = std::string_view::npos)
      : data_(data), chunk_(chunk) {}
  std::size_t Read(char* buffer, std::size_t size) override;

 private:
  std::string_view data_;
  std::size_t chunk_;
};

class StringSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

}  // namespace ambrelix::cli
