/** @file relativePath_utl.cpp ** Makes an absolute path relative to a document's folder. **/
#include "templates/wizard/relativePath_utl.h"

#include "platform/Dialogs.h"
#include "templates/wizard/TWizardDocument.h"

const QString relativePathSaveQuestion = QStringLiteral(
    "Cannot make the path relative to the document's \r\npath because the document hasn't been "
    "saved yet.\r\nDo you want to save the document now ?\r\n\r\nNotice that if you don't save "
    "the document now you will have to save it latter and try again.");

namespace {
QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}
} // namespace

QString makeRelativePath(const QString& path, TWizardDocument* window)
{
    if (path.isEmpty() || !window || !path.startsWith(u'/'))
        return path;
    if (window->fileName().isEmpty()) {
        if (pm::dialogs().message(pm::Dialogs::Kind::Warning, relativePathSaveQuestion,
                                  pm::Dialogs::Buttons::YesNo)
            != pm::Dialogs::Answer::Yes)
            return path;
        if (!window->saveWithDialog() || window->fileName().isEmpty())
            return path;
    }
    const QString docFolder = folderOf(window->fileName());
    const QString pathFolder = folderOf(path);
    // With one root every absolute path starts alike, so "occurs in" must mean "starts with",
    // or /a/ would be found inside /x/a/.
    if (pathFolder.startsWith(docFolder))
        return path.mid(docFolder.size());
    if (docFolder.startsWith(pathFolder)) {
        const qsizetype up = docFolder.count(u'/') - path.count(u'/');
        return QStringLiteral("../").repeated(up) + path.mid(pathFolder.size());
    }
    return path;
}
