/** @file errors_utl.h ** The only way errors reach the user: a coded message, detailed or short,
 ** shown in an error box and optionally appended to the error log. **/
#pragma once

#include <QString>
#include <cstdint>

/// Formats the message of `code` (0..23) for the current message type with `param` for "%s".
QString formatErrorMessage(uint8_t code, const QString& param);
/// The same for a given message type (1 short, anything else detailed).
QString formatErrorMessage(uint8_t code, const QString& param, uint8_t messageType);
/// Shows the error box, then logs it when the user asked for a log.
void showError(uint8_t code, const QString& param = QString());
