#pragma once
// Counting allocation functions for the analysis test program: the global
// operator new of this program (AllocationCounter.cpp) counts its calls
// while counting is switched on, so a test can show that a piece of the
// analysis allocates nothing.

namespace korvanes::testsupport {

// Switches counting on or off; switching it on does not reset the count.
void CountAllocations(bool on);
// Calls of operator new while counting was on, since the last reset.
long AllocationCount();
void ResetAllocationCount();

}  // namespace korvanes::testsupport
