// The system's folders with the roots chosen by the test, every call counted per folder,
// and failures that a test can inject for a folder (errno values).
#pragma once

#include "dirtree/FolderSource.h"

#include <QHash>

namespace vexel::dirtree::testing {

class CountingFolderSource : public SystemFolderSource {
public:
    explicit CountingFolderSource(std::vector<Drive> roots = {}) : roots_(std::move(roots)) {}

    std::vector<Drive> driveRoots() override { return roots_; }

    SubfolderList listSubfolders(const QString &folder) override
    {
        ++listings[folder];
        if (const int code = listFailures.value(folder))
            return {{}, code};
        return SystemFolderSource::listSubfolders(folder);
    }
    bool hasSubfolder(const QString &folder) override
    {
        ++subfolderChecks[folder];
        return SystemFolderSource::hasSubfolder(folder);
    }
    int probeFolder(const QString &folder) override
    {
        ++probes[folder];
        if (const int code = probeFailures.value(folder))
            return code;
        return SystemFolderSource::probeFolder(folder);
    }

    int totalListings() const { return total(listings); }
    int totalSubfolderChecks() const { return total(subfolderChecks); }
    void resetCounts()
    {
        listings.clear();
        subfolderChecks.clear();
        probes.clear();
    }

    QHash<QString, int> listings;
    QHash<QString, int> subfolderChecks;
    QHash<QString, int> probes;
    QHash<QString, int> listFailures;
    QHash<QString, int> probeFailures;

private:
    static int total(const QHash<QString, int> &counts)
    {
        int sum = 0;
        for (int count : counts)
            sum += count;
        return sum;
    }

    std::vector<Drive> roots_;
};

} // namespace vexel::dirtree::testing
