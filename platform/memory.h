// Large zeroed memory straight from the system, for the solver's tables.
#pragma once

#include <cstddef>

namespace platform {

// Zeroed memory of `bytes`, null when it cannot be had. Where the system allows, pages are
// handed out only when first touched (a large reservation costs little) and come in huge pages
// (`random`: the memory is touched at random, so huge pages help from its start; otherwise only
// past its first 2 MiB, so that a small user does not pay for zeroing them).
void* ReserveZeroed(std::size_t bytes, bool random);
void ReleaseReserved(void* memory, std::size_t bytes);

// Processor time this thread has used, in seconds.
double ThreadCpuSeconds();

}  // namespace platform
