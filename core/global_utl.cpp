/** @file global_utl.cpp ** The settings record, the application paths and the file names. **/
#include "core/global_utl.h"

optns globalOptions;

QString applicationFolder;
QString pluginsFolder;
QString hotkeysFileName;
QString toolbarFileName;
QString errorLogFileName;
QString historyFileName;
QString helpFileName;
QString colorRulesFileName;
QString dynamicMenusFileName;
QString projectDir;
QString projectFileName;
bool webBrowserControlAvailable = false;
QString parserDelimiters;

int toolsWindowActivePage = 0;

void setApplicationFolder(const QString& folder)
{
    applicationFolder = folder;
    if (!applicationFolder.endsWith(u'/'))
        applicationFolder += u'/';
    pluginsFolder = applicationFolder + QStringLiteral("plugins/");
    projectDir = applicationFolder;
}

void setFileNames()
{
    // Not cut to 255 characters: a cut path would name some other file.
    hotkeysFileName = applicationFolder + QStringLiteral("Pagemason.HotKeys");
    toolbarFileName = applicationFolder + QStringLiteral("Pagemason.tb");
    errorLogFileName = applicationFolder + QStringLiteral("Pagemason.err");
    historyFileName = applicationFolder + QStringLiteral("recent.lst");
    helpFileName = applicationFolder + QStringLiteral("Pagemason.hlp");
    colorRulesFileName = applicationFolder + QStringLiteral("Pagemason.colors");
    dynamicMenusFileName = applicationFolder + QStringLiteral("default.mnu");
}

QString unixPathIfWanted(const QString& text)
{
    if (!globalOptions.convertUnixStrings)
        return text;
    QString out = text;
    out.replace(QStringLiteral(":\\"), QStringLiteral("|/"));
    out.replace(u'\\', u'/');
    return out;
}
