#pragma once

namespace KisTest {

// Sets (or, with nullptr, removes) an environment variable of the test process.
void SetEnvironment(const char* name, const char* value);

} // namespace KisTest
