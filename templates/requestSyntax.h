/** @file requestSyntax.h ** The request syntax of templates: the type table, parsing one request
 ** and the syntax check with its error positions. **/
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

/// Request type codes; the value is the index in `requestTypeNames`.
enum TRequestType : int {
    rtUnknown = 0,
    rtNone = 1, ///< empty table entry; no type word selects it
    rtFile = 2,
    rtString = 3,
    rtNumber = 4,
    rtPercent = 5,
    rtUrl = 6,
    rtUrlFile = 7,
    rtColor = 8,
    rtAttList = 9,
    rtAlign = 10,
    rtImage = 11,
    rtList = 12,
    rtText = 13,
    rtRun = 14,
    rtDate = 15,
    rtMsg = 16,
    rtMenuCommand = 17,
    rtGoto = 18,
    rtPlugin = 19,
};

/// The 20 lower-case keywords; entry 1 is empty.
extern const QStringList requestTypeNames;

/// Index of the first entry equal to `word` (case-sensitive); 0 when none or empty.
int requestTypeIndex(const QString& word);

/// True for the types that become a page of the input wizard.
bool isWizardRequestType(int type);

struct TRequest {
    QString description; ///< shown to the user: between the quotes, then what followed them
    QString parameters;  ///< between "[" and the first "]" after it
    int type = rtUnknown;
    bool optional = false; ///< the type word began with "-"
};

/// Parses the content of a request, the text between "{=" and "=}".
TRequest parseRequest(const QString& content);

struct TSyntaxCheck {
    bool ok = true;
    int position = 0; ///< 1-based; a CR LF counts as two characters
    uint8_t code = 0; ///< error code of the error messages table (6 to 13)
};

/// Pure check of a template (or of one line of it).
TSyntaxCheck checkTemplateSyntax(const QString& text);

/// As checkTemplateSyntax; a failure is reported through showError with the position.
bool checkTemplateSyntaxAndReport(const QString& text);

/// The short message of an error code with `param`, whatever message type the user chose.
QString shortErrorMessage(uint8_t code, const QString& param = QString());
