// The main of a program of Qt Test classes (QtTestClasses.h). It sets up the application
// as QTEST_MAIN does; then
//   program <Class> [Qt Test options and functions]  runs that class alone (CTest runs
//                                                     each class in a process of its own)
//   program [Qt Test options]                         runs every class, one after another
// The exit status counts the failed test functions, as QTest::qExec does.
#include "QtTestClasses.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace vexel::testsupport {
namespace {

struct QtTestClass {
    const char *name;
    const char *file;
    QtTestFactory make;
};

std::vector<QtTestClass> &classes()
{
    static std::vector<QtTestClass> all;
    return all;
}

int runClass(const QtTestClass &c, int argc, char **argv)
{
    const std::unique_ptr<QObject> test(c.make());
    QTest::setMainSourcePath(c.file);
    return QTest::qExec(test.get(), argc, argv);
}

} // namespace

bool registerQtTestClass(const char *name, const char *file, QtTestFactory make)
{
    classes().push_back({name, file, make});
    return true;
}

} // namespace vexel::testsupport

int main(int argc, char **argv)
{
    using namespace vexel::testsupport;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);

    if (argc > 1) {
        const auto named = std::find_if(classes().begin(), classes().end(),
                                        [&](const QtTestClass &c) {
                                            return std::strcmp(c.name, argv[1]) == 0;
                                        });
        if (named != classes().end()) {
            // The class name is not one of Qt Test's arguments: argv[0] takes its place.
            argv[1] = argv[0];
            return runClass(*named, argc - 1, argv + 1);
        }
    }
    if (classes().empty()) {
        std::fprintf(stderr, "%s: no Qt Test class in this program\n", argv[0]);
        return 1;
    }
    int failed = 0;
    for (const QtTestClass &c : classes())
        failed += runClass(c, argc, argv);
    return std::min(failed, 127);
}
