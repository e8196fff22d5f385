// Several Qt Test classes in one program: each test source registers its class with
// VEXEL_QTEST_CLASS (in place of QTEST_MAIN), and the one main (QtTestMain.cpp) runs the
// class named by its first argument, or every class when none is named. One program per
// test folder parses the Qt headers, runs moc and links once instead of once per class.
#pragma once

#include <QObject>

namespace vexel::testsupport {

using QtTestFactory = QObject *(*)();

// Adds a class to the program's list; `file` is the source that declares it.
bool registerQtTestClass(const char *name, const char *file, QtTestFactory make);

} // namespace vexel::testsupport

#define VEXEL_QTEST_CLASS(TestObject)                                                   \
    [[maybe_unused]] static const bool vexelQtTestClass_##TestObject =                   \
        vexel::testsupport::registerQtTestClass(#TestObject, __FILE__,                   \
                                                []() -> QObject * { return new TestObject; });
