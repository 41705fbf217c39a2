#pragma once

namespace ks {

// Hands the memory the program has freed back to the system. The allocator
// keeps freed memory for reuse, which is right while a screen runs, but a
// window that read much and is gone should leave the game as small as
// before it opened.
void returnFreedMemory();

} // namespace ks
