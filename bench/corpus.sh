#!/bin/sh
# Builds the fixed benchmark corpus (about 60 MB, the same bytes on every machine) in
# bench/out/corpus/ and prints its path. Reused by every benchmark of the libraries.
# Usage: bench/corpus.sh            (does nothing when the corpus is already complete)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/out"
corpus="$out/corpus"
mkdir -p "$out"
if [ ! -f "$out/corpus.done" ]; then
  c++ -std=c++20 -O2 -o "$out/make_corpus" "$here/libs/MakeCorpus.cpp"
  rm -rf "$corpus"
  "$out/make_corpus" "$corpus"
  : >"$out/corpus.done"
fi
echo "$corpus"
