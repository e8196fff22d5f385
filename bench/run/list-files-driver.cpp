// Bench driver: writes the run's three list files for the entries named one per line
// in <entries file> into <folder>/krytmp.{lst,kst,btt}, exactly as a run does (base
// folder included), and prints the seconds that took.
#include "run/BaseFolder.h"
#include "run/ListFiles.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: list-files-driver <entries file> <output folder>\n";
        return 2;
    }
    std::vector<std::string> entries;
    std::ifstream in(argv[1]);
    for (std::string line; std::getline(in, line);)
        entries.push_back(line);

    const auto start = std::chrono::steady_clock::now();
    const std::string base = vexel::BaseFolder(entries);
    std::string error;
    if (!vexel::writeListFiles(std::string(argv[2]) + "/krytmp", entries, base, &error)) {
        std::cerr << error << "\n";
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f\n", took.count());
    return 0;
}
