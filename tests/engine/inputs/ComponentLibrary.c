/* A component library for the RegisterDLL tests, built by the tests with the system compiler:
   REGISTER_RESULT is what both entry points return; NO_ENTRY_POINTS leaves them out. */
#ifndef NO_ENTRY_POINTS
int DllRegisterServer(void) { return REGISTER_RESULT; }
int DllUnregisterServer(void) { return REGISTER_RESULT; }
#else
int ComponentLibraryVersion(void) { return 1; }
#endif
