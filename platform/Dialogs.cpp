/** @file Dialogs.cpp ** The dialogs service in use, with a console stand-in. **/
#include "platform/Dialogs.h"

#include <QTextStream>

namespace pm {

Dialogs::Answer Dialogs::safeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::YesNoCancel:
    case Buttons::OkCancel:
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

namespace {

    /// Used before the program installs its windows (or in a tool run without them): reports on
    /// standard error and gives the answer that changes nothing.
    class ConsoleDialogs : public Dialogs
    {
    public:
        Answer message(Kind, const QString& text, Buttons buttons, const QString& caption) override
        {
            QTextStream err(stderr);
            if (!caption.isEmpty())
                err << caption << ": ";
            err << text << Qt::endl;
            return safeAnswer(buttons);
        }
        QStringList openFiles(FileRequest&) override { return {}; }
        QString saveFile(FileRequest&) override { return {}; }
    };

    Dialogs* installed = nullptr;

} // namespace

Dialogs& dialogs()
{
    if (installed)
        return *installed;
    static ConsoleDialogs console;
    return console;
}

Dialogs* setDialogs(Dialogs* service)
{
    return std::exchange(installed, service);
}

} // namespace pm
