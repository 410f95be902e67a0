#pragma once

// Which deflate implementations the archive code uses. Where the build found them, ISA-L inflates (several times
// faster than zlib) and libdeflate deflates (faster than zlib and a little smaller); zlib, directly and through
// libzip, does what they do not and all of it in a build without them (the Windows cross-build).
namespace ZipCoders {

bool builtWithIsal();
bool builtWithLibdeflate();

// Whether unpacking and reading back inflate with ISA-L, and packing deflates with libdeflate.
bool inflateWithIsal();
bool deflateWithLibdeflate();

// Makes every path take zlib, so that tests check and the benchmark measures what a build without the two runs.
void setZlibOnly(bool zlibOnly);

} // namespace ZipCoders
