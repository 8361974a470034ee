#pragma once

#include <cassert>

// The control toolkit's start and stop, called by the program entry after the foundation library and
// the application services have started, and before they stop.
namespace VCtrl {

// Counted: the first call makes the class records of the toolkit (controls, styles, events, colours and
// the graphics context) in a fixed order, logging "%i classes failed to initialize.\n" when some could
// not be made; later calls only count. Throws VException (a copy of one that escapes, or id 0 with the
// description "VCtrl::InitializeLibrary" for anything else).
void InitializeLibrary();
// Counted: the call that brings the count below 1 releases the toolkit's process-wide objects (the style
// list and the shared event). Throws as InitializeLibrary, with "VCtrl::UninitializeLibrary".
void UninitializeLibrary();
bool IsLibraryInitialized();
int GetInitializationCount();

// True on the user-interface thread, and on any thread while the application services are not started
// (then no thread is known as the user-interface thread).
bool IsOnUIThread();

} // namespace VCtrl

// Controls belong to the user-interface thread; debug builds stop at a call from another thread.
#define VCTRL_ASSERT_UI_THREAD() assert(::VCtrl::IsOnUIThread())
