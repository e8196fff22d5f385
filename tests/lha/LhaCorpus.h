// The LHA tests' corpus: the shared library-test tree plus what the LHA format makes
// interesting (a run of 65,536 equal bytes, repeats at every method's full window
// distance, an executable, source code, a name that puts a header size on a multiple
// of 256), and the large files made at test time.
#pragma once

#include <cstddef>
#include <string>

namespace vexel::test {

// Fills `folder` (which must exist) with the corpus, without the large files.
void buildLhaCorpus(const std::string &folder);

// Writes `size` bytes of mixed text, runs, random stretches and repeats at exactly 8 KiB,
// 32 KiB and 64 KiB back.
void writeMixedData(const std::string &path, std::size_t size);

// 20 MB for the stop tests: enough that a stop asked for a moment after the start
// always meets the encoder at work, even on a fast idle machine. The same 2 MiB of
// mixed data over and over: repeats that far back lie beyond every dictionary, so the
// encoder works as hard as on fresh data, and the file costs a tenth as much to make
// (which counts under ThreadSanitizer).
void writeStopTestData(const std::string &path);

} // namespace vexel::test
