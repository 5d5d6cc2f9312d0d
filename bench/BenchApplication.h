/** @file BenchApplication.h ** The one QApplication that every widget micro-benchmark shares. **/
#pragma once

#include <QApplication>

namespace pmbench {

/// Created on first use, offscreen unless a platform is set; one per process, as Qt requires.
inline QApplication& benchApplication()
{
    static int argc = 1;
    static char name[] = "pagemason-microbench";
    static char* argv[] = { name, nullptr };
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace pmbench
