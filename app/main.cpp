/** @file main.cpp ** Program entry: the command-line tool mode, then the main window and its
 ** message loop. **/
#include "app/TMainForm.h"
#include "app/startup_utl.h"
#include "platform/QtDialogs.h"
#include "templates/dynamicMenus_utl.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The preview's web engine, which runs partly in this process, frees some of its own objects
// with another size than it made them with. Nothing of ours; the sanitizer build must still
// preview.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

int main(int argc, char** argv)
{
    // Tool mode: check a menus file and report on standard output, without any window.
    if (argc > 1 && qstrcmp(argv[1], "--check-menus") == 0) {
        QCoreApplication tool(argc, argv);
        QTextStream out(stdout);
        if (argc < 3) {
            QTextStream(stderr) << "usage: pagemason --check-menus FILE" << Qt::endl;
            return 2;
        }
        return checkMenusFile(QString::fromLocal8Bit(argv[2]), out);
    }

    // Chromium refuses to run as root with its sandbox on (CI runs as root).
    if (detectWebBrowserControl() && ::geteuid() == 0
        && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagemason"));
    QApplication::setApplicationVersion(QStringLiteral("2.3"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));

    pm::QtDialogs dialogs;
    pm::setDialogs(&dialogs);
    commandLineArguments = QApplication::arguments().mid(1);

    TMainForm form;
    createProgramForms(form);

    // For start-up timing: leave as soon as the first show has finished.
    if (qEnvironmentVariableIntValue("PAGEMASON_EXIT_WHEN_READY") == 1)
        QObject::connect(&form, &TMainForm::startupFinished, &app,
            [] { QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); }); });

    form.show();
    const int result = app.exec();
    pm::setDialogs(nullptr);
    return result;
}
