/** @file viewer_utl.h ** The browser view: a document handed to the configured browser or viewer
 ** through DDE, a program of the user's or the desktop's own browser, and the browser path
 ** defaults of the Options dialog. **/
#pragma once

#include "platform/DdeClient.h"

#include <QString>

/// The message of a viewer type other than the default browser without a viewer path.
inline const QString noBrowserMessage = QStringLiteral(
    "No browser defined !\r\nPlease define the browser's path using Options from the main menu");

/// The item of the WWW_OpenURL request: type 0 (Internet Explorer) "\"file:NAME\",,-1,,,,,",
/// type 1 (Netscape) "NAME,,0xFFFFFFFF,0x3,,,".
QString ddeOpenUrlItem(int viewerType, const QString& fileName);
/// The whole conversation of types 0 and 1: "0xFFFFFFFF" on "WWW_Activate", then the item on
/// "WWW_OpenURL", served by `viewer` under "IExplore" or "Netscape".
pm::DdeConversation browserConversation(
    int viewerType, const QString& viewer, const QString& fileName);
/// Type 2's command line as written in logs: viewer + " " + file name, nothing quoted. It is
/// never given to a shell: the viewer is started with the file name as its one argument.
QString viewerCommandLine(const QString& viewer, const QString& fileName);

/// Shows `fileName` with the viewer of `viewerType` and `viewerFileName`. Without a viewer path
/// (and not the default browser) says noBrowserMessage. A viewer that cannot be started shows
/// no box, only a status text. True when the file was handed on.
bool viewInBrowser(const QString& fileName);

/// The browser path defaults for choosing `viewerType` in the Options dialog: the path box's
/// new text, given its current one. Type 0 with an empty box: the desktop's browser
/// (x-www-browser, else firefox or chromium, found on PATH; empty when there is none). Type 1
/// with an empty box and Netscape's install folder in the store: that folder +
/// "/Program/Netscape.exe". Otherwise the text stays.
QString browserPathDefault(int viewerType, const QString& currentPath);
