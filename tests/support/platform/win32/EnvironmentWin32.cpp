#include "support/Environment.h"

#include <cstdlib>

namespace KisTest {

// An empty value removes the variable on Windows.
void SetEnvironment(const char* name, const char* value) {
    ::_putenv_s(name, value ? value : "");
}

} // namespace KisTest
