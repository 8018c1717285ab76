#pragma once

#include <functional>

// Linked into a test executable, this replaces the global allocator with one
// that counts what the calling thread allocates while counting is on:
// operator new always, and outside sanitizer builds (which intercept the C
// allocator themselves) malloc and its relatives too.
namespace slm::test {

// Allocations the calling thread makes while `work` runs.
long allocationsDuring(const std::function<void()>& work);

// For a stretch that another thread marks itself, such as a render callback.
void countAllocationsOnThisThread(bool on);
long countedAllocations();
void resetCountedAllocations();

} // namespace slm::test
