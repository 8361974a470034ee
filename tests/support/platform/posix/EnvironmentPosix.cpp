#include "support/Environment.h"

#include <cstdlib>

namespace KisTest {

void SetEnvironment(const char* name, const char* value) {
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

} // namespace KisTest
