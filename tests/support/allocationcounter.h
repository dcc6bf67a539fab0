#ifndef ALLOCATIONCOUNTER_H
#define ALLOCATIONCOUNTER_H

// Counts the program's heap allocations. allocationcounter.cpp replaces the
// global allocation functions, so add it to the sources of just the programs
// that measure allocations (never to a library other programs link).
long AllocationCount();

#endif // ALLOCATIONCOUNTER_H
