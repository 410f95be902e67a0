#include "archive/ZipCoders.h"

#include <atomic>

namespace {

std::atomic<bool> s_zlibOnly{false};

} // namespace

namespace ZipCoders {

bool builtWithIsal()
{
#ifdef TALLYRA_HAVE_ISAL
    return true;
#else
    return false;
#endif
}

bool builtWithLibdeflate()
{
#ifdef TALLYRA_HAVE_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

bool inflateWithIsal()
{
    return builtWithIsal() && !s_zlibOnly;
}

bool deflateWithLibdeflate()
{
    return builtWithLibdeflate() && !s_zlibOnly;
}

void setZlibOnly(bool zlibOnly)
{
    s_zlibOnly = zlibOnly;
}

} // namespace ZipCoders
