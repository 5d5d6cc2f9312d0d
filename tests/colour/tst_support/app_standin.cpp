/** @file app_standin.cpp ** Stand-ins for the application shell's error box and paths, used while
 ** those have no library to link. Messages carry the short texts. **/
#include "app/errors_utl.h"
#include "app/global_utl.h"
#include "platform/Dialogs.h"

QString colorRulesFileName;

QString formatErrorMessage(uint8_t code, const QString& param)
{
    if (code == 1)
        return QStringLiteral("The file\r\n%1\r\nwas not found").arg(param);
    return param;
}

void showError(uint8_t code, const QString& param)
{
    pm::dialogs().error(formatErrorMessage(code, param));
}
