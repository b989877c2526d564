#include "tests/companion/child_process.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "calc/unicode.h"

namespace ambrelix::test_support {
namespace {

namespace fs = std::filesystem;

std::atomic<unsigned> runCount{0};

fs::path ScratchPath(const char* what) {
#ifdef _WIN32
  const unsigned long pid = GetCurrentProcessId();
#else
  const long pid = static_cast<long>(getpid());
#endif
  return fs::temp_directory_path() / ("ambrelix-companion-" + std::to_string(pid) + "-" +
                                      std::to_string(runCount.load()) + "." + what);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ScratchFiles {
  ScratchFiles() : in(ScratchPath("in")), out(ScratchPath("out")), err(ScratchPath("err")) {}
  ~ScratchFiles() {
    std::error_code ignored;
    for (const fs::path* p : {&in, &out, &err}) fs::remove(*p, ignored);
  }
  fs::path in, out, err;
};

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) {
  std::wstring out;
  for (const char16_t c : Utf8ToUtf16(utf8)) out.push_back(static_cast<wchar_t>(c));
  return out;
}

// The quoting the C runtime's argument splitter undoes: backslashes are
// literal except before a quote, where they and the quote are escaped.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') ++i, ++backslashes;
    if (i == arg.size()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    quoted.push_back(arg[i]);
  }
  quoted.push_back(L'"');
  return quoted;
}

// Under Wine the build's paths are Unix paths, reached through drive Z:.
std::wstring WindowsPath(const std::string& path) {
  return path.starts_with("/") ? L"Z:" + Wide(path) : Wide(path);
}

HANDLE OpenInheritable(const fs::path& path, bool forWriting) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE h =
      CreateFileW(path.wstring().c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                  forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path.string());
  return h;
}

int Spawn(const std::string& program, const std::vector<std::string>& args,
          const ScratchFiles& files) {
  const std::wstring application = WindowsPath(program);
  std::wstring commandLine = QuoteArgument(application);
  for (const std::string& a : args) commandLine += L" " + QuoteArgument(Wide(a));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = OpenInheritable(files.in, false);
  startup.hStdOutput = OpenInheritable(files.out, true);
  startup.hStdError = OpenInheritable(files.err, true);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr,
                                      TRUE, 0, nullptr, nullptr, &startup, &process);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(h);
  if (!started) throw std::runtime_error("cannot start " + program);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

#else

int Spawn(const std::string& program, const std::vector<std::string>& args,
          const ScratchFiles& files) {
  std::vector<char*> argv;
  std::string name = program;
  std::vector<std::string> copies(args);
  argv.push_back(name.data());
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, files.in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, files.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, files.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + program);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + program);
  // A signal shows as its number above 128, as shells report it.
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  ++runCount;
  ScratchFiles files;
  {
    std::ofstream in(files.in, std::ios::binary);
    in.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  ProcessResult result;
  result.exitCode = Spawn(program, args, files);
  result.out = ReadAll(files.out);
  result.err = ReadAll(files.err);
  return result;
}

}  // namespace ambrelix::test_support
