#include "freememory.h"

#include <malloc.h>

namespace ks {

void returnFreedMemory()
{
    malloc_trim(0);
}

} // namespace ks
