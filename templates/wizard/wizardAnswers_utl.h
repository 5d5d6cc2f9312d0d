/** @file wizardAnswers_utl.h ** The input wizard's rules that need no widgets: answer formats,
 ** parameter parsing, the number input filter and the history sections. **/
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

/// History sections of recent.lst, by page kind.
inline const QString historyFileNameSection = QStringLiteral("FileName");
inline const QString historyUrlSection = QStringLiteral("URL");
inline const QString historyUrlFileSection = QStringLiteral("FileNameURL");
inline const QString historyImageSection = QStringLiteral("ImageFN");

/// A combo offers at most this many history items before new ones are no longer written.
inline constexpr int maxHistoryItems = 11;
/// Items read from one history section at most, so a damaged file cannot flood a combo.
inline constexpr int historyReadLimit = 256;

/// The colour picker's "cancelled" value (red 24, green 0, blue 0).
inline constexpr int32_t colorPickerCancelled = 24;

/// Answers of the alignment list, by item index; entry 0 ("Default") is empty.
extern const QStringList alignNames;
/// Items of the alignment list, in the same order.
extern const QStringList alignCaptions;

/// A colour 0x00BBGGRR as six upper-case hex digits red, green, blue.
QString colorAnswer(int32_t color);
/// "RRGGBB" (blanks and "#" ignored) as 0x00BBGGRR; nothing when it is not six hex digits.
std::optional<int32_t> colorFromAnswer(const QString& text);

/// Attribute values found in `documentText` for an attlist parameter "tag;attribute;terminators".
/// Tag and attribute are found without regard to case; values keep the document's case.
QStringList attListValues(const QString& documentText, const QString& parameters);

/// The 'shown','value' pairs of a list parameter. A final shown text without a value gets an
/// empty value; an unclosed quote runs to the end of the text.
QList<QPair<QString, QString>> listParameterPairs(const QString& parameters);

/// The number filter of the number, percent and image size edits: is `c` typed at `caret` into
/// `text` accepted? Backspace is "\b".
bool acceptNumberChar(const QString& text, int caret, QChar c);
/// The number page's Up (+1) and Down (-1) keys; nothing when the key does not apply (empty
/// text, "%" or "." in it, or not a whole number).
std::optional<QString> stepNumberText(const QString& text, int delta);

/// A whole number as the image size edits allow it (optional sign, digits); nothing otherwise.
std::optional<int64_t> wholeNumber(const QString& text);
/// The attributes an image answer adds to its suffix: " WIDTH=w" when w > 0, then " HEIGHT=h"
/// when h > 0. Empty texts count as "0". Nothing when either text is not a whole number.
std::optional<QString> imageSizeAttributes(const QString& width, const QString& height);

/// A filter in the "Description|*.a;*.b|..." form of the menus file as a Qt file-dialog filter
/// ("Description (*.a *.b);;..."). Empty stays empty.
QString qtFileFilter(const QString& filter);
