// What the benchmarks measure of their own process: CPU time, the resident
// set, the heap in use, and where the allocator takes large blocks from.
#ifndef MURLO_BENCH_PROCESS_MEASURES_H_
#define MURLO_BENCH_PROCESS_MEASURES_H_

#include <cstddef>
#include <string>

namespace murlo::bench {

// Where large blocks come from. kFresh: every block of 128 KB and more is
// mapped anew and unmapped when freed, so each load pays for fresh pages as a
// process that loads its database once does. kReused: freed memory stays
// with the allocator and is handed out again, as in a process that has been
// running a while; no page is faulted in twice.
enum class Memory { kFresh, kReused };

void useMemory(Memory memory);
std::string memoryName(Memory memory);

// The CPU time of the process so far, in seconds.
double cpuSeconds();

// The resident set of the process, and the bytes its heap has handed out.
std::size_t residentBytes();
std::size_t heapBytesInUse();

}  // namespace murlo::bench

#endif  // MURLO_BENCH_PROCESS_MEASURES_H_
