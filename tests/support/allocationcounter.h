#ifndef ALLOCATIONCOUNTER_H
#define ALLOCATIONCOUNTER_H

// Counts the program's heap allocations and fails chosen ones.
// allocationcounter.cpp replaces the global allocation functions, so add it
// to the sources of just the programs that measure allocations (never to a
// library other programs link).
long AllocationCount();
// The non-throwing allocations alone (what code that checks for null uses).
long NothrowAllocationCount();
// Lets `count` more non-throwing allocations succeed, then fails the next one.
void FailNothrowAllocationAfter(int count);

#endif // ALLOCATIONCOUNTER_H
