/** @file Dialogs.h ** Every modal question, message box and file dialog goes through this service,
 ** so tests can answer them without a person. **/
#pragma once

#include <QString>
#include <QStringList>

namespace pm {

class Dialogs
{
public:
    enum class Answer { Ok, Yes, No, Cancel };
    enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
    enum class Kind { Error, Warning, Information, Question };

    struct FileRequest {
        QString title;
        QString folder;      ///< initial folder
        QString fileName;    ///< initial name
        QString filter;      ///< "HTML files (*.htm *.html);;All files (*)"
        int filterIndex = 0; ///< in: initial filter; out: the one chosen
        QString defaultSuffix;
        bool multiple = false;
    };

    virtual ~Dialogs() = default;

    /// A modal box; returns when the user has answered.
    /// The answer that changes nothing for a set of buttons: what a box nobody answers gives.
    static Answer safeAnswer(Buttons buttons);

    virtual Answer message(Kind kind, const QString& text, Buttons buttons,
                           const QString& caption = QString()) = 0;
    /// Empty list when cancelled. `request.filterIndex` is updated to the chosen filter.
    virtual QStringList openFiles(FileRequest& request) = 0;
    /// Empty when cancelled.
    virtual QString saveFile(FileRequest& request) = 0;

    void error(const QString& text) { message(Kind::Error, text, Buttons::Ok); }
    void warning(const QString& text) { message(Kind::Warning, text, Buttons::Ok); }
    void information(const QString& text) { message(Kind::Information, text, Buttons::Ok); }
};

/// The service in use. Never null once the program or a test has installed one.
Dialogs& dialogs();
/// Installs a service (not owned); returns the previous one. Tests install a scripted double.
Dialogs* setDialogs(Dialogs* service);

} // namespace pm
