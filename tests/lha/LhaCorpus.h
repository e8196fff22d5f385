// The LHA tests' corpus: the shared library-test tree plus what the LHA format makes
// interesting (a run of 65,536 equal bytes, repeats at every method's full window
// distance, an executable, source code, a name that puts a header size on a multiple
// of 256), and the 20 MB file made at test time.
#pragma once

#include <string>

namespace vexel::test {

// Fills `folder` (which must exist) with the corpus, without the 20 MB file.
void buildLhaCorpus(const std::string &folder);

// Writes a 20 MB file of mixed text, runs, random stretches and repeats at exactly
// 8 KiB, 32 KiB and 64 KiB back.
void writeTwentyMegabytes(const std::string &path);

} // namespace vexel::test
