// Linked straight into each program, this definition stands in for the static runtime's
// own one, which describes the uncaught exception on the error stream: a window program
// has no stream to show it on, and that description drags the runtime's whole name
// demangler (about 46 KB) into the program. The end is the same: the process aborts.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
