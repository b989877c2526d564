// What std::terminate does in Ambrelix.exe and ambrelix-cli.exe: write
// "terminate called after throwing an exception", with the exception's
// what() when it has one, to the standard error and abort.
//
// This replaces libstdc++'s default handler of the same name, which says the
// same and also names the exception's type. Naming the type takes the C++
// demangler, and with it MinGW's printf machinery: about 68 KB of each
// statically linked executable, more than the whole calculator window.
// Defined here, in an object the executables link directly
// (ambrelix_terminate_handler), the library's own definition is never pulled
// from libstdc++.a.
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  // A second terminate while this one reports (what() throwing, say)
  // only aborts.
  static bool terminating = false;
  if (terminating) std::abort();
  terminating = true;

  std::fputs("terminate called", stderr);
  if (std::exception_ptr current = std::current_exception()) {
    std::fputs(" after throwing an exception", stderr);
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      std::fputs("\n  what():  ", stderr);
      std::fputs(e.what(), stderr);
    } catch (...) {
    }
  } else {
    std::fputs(" without an active exception", stderr);
  }
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace __gnu_cxx
