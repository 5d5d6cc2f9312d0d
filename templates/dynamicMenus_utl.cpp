/** @file dynamicMenus_utl.cpp ** Running entries into documents and checking the menus file. **/
#include "templates/dynamicMenus_utl.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "editor/TMemoSource.h"
#include "platform/Dialogs.h"
#include "templates/TMenusFile.h"
#include "templates/TRequestActions.h"
#include "templates/requestSyntax.h"
#include "templates/templateRunner.h"

#include <QFileInfo>
#include <QTextStream>
#include <optional>

QStringList menuEntryTexts;

void insertResult(const QString& result, TMemoSource& editor)
{
    editor.beginChange(opInsertResult);
    const bool hadSelection = editor.selectionMode() != smNone;
    const QString selected = hadSelection ? editor.SelText() : QString();
    if (hadSelection)
        editor.deleteSelection();

    // A plain pair: typing goes on at this very place, and a registered position would move.
    std::optional<std::pair<int, int>> caret;
    const QStringView r(result);
    qsizetype run = 0; // start of the plain characters not typed yet
    auto typeRun = [&](qsizetype end) {
        if (end > run)
            editor.insertText(r.mid(run, end - run).toString());
    };
    qsizetype j = 0;
    while (j < r.size()) {
        const QChar c = r.at(j);
        if (c == u'{' && j + 1 < r.size() && r.at(j + 1) == u'=') {
            const qsizetype close = result.indexOf(QStringLiteral("=}"), j + 2);
            if (close >= 0) {
                typeRun(j);
                const QString content = r.mid(j + 2, close - j - 2).toString();
                if (content == QStringLiteral(",")) {
                    caret = std::make_pair(editor.CaretX(), editor.CaretY());
                } else {
                    const TRequest request = parseRequest(content);
                    if (request.type == rtGoto)
                        requestActions().gotoAction(request.parameters, editor);
                }
                j = close + 2;
                run = j;
                continue;
            }
        }
        if (c == QChar(answerGuard)) {
            typeRun(j);
            run = ++j;
            continue;
        }
        if (c == u'\r') {
            typeRun(j);
            editor.splitLine();
            j += (j + 1 < r.size() && r.at(j + 1) == u'\n') ? 2 : 1;
            run = j;
            continue;
        }
        ++j;
    }
    typeRun(r.size());

    if (caret) {
        editor.setCaret(caret->first, caret->second);
        editor.clearSelection();
        if (hadSelection) {
            QString text = selected;
            if (text.endsWith(QStringLiteral("\r\n")))
                text.chop(2);
            editor.insertText(text);
        }
    } else {
        editor.clearSelection();
    }
    editor.endChange();
}

void dynamicMenuItemClick(int32_t tag, const QString& caption, TMemoSource* target)
{
    if (!target || tag < 0 || tag >= menuEntryTexts.size())
        return;
    QString title = caption;
    title.remove(u'&');
    const QString result = runTemplate(menuEntryTexts.at(tag), title);
    if (!templateRunAbandoned())
        insertResult(result, *target);
}

void insertAutoInsertTags(TMemoSource& editor)
{
    if (!globalOptions.autoInsertTags)
        return;
    setStatus(QStringLiteral("Inserting auto-insert tags...."));
    const QString result = runTemplate(menuEntryTexts.value(0), QStringLiteral("New HTML"));
    if (!templateRunAbandoned())
        insertResult(result, editor);
}

bool checkMenusFileAfterSave(const QString& savedFileName, const QStringList& lines)
{
    if (dynamicMenusFileName.isEmpty()
        || savedFileName.compare(dynamicMenusFileName, Qt::CaseInsensitive) != 0)
        return false;
    const QFileInfo info(savedFileName);
    bool failed = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TSyntaxCheck check = checkTemplateSyntax(lines.at(i));
        if (check.ok)
            continue;
        failed = true;
        // The results list's columns: Description, Text, Position in line, Line number,
        // Filename, File Path; a double click puts the caret at the error.
        addResultRow({QStringLiteral("Syntax error: ") + shortErrorMessage(check.code), QString(),
                      QString::number(check.position), QString::number(i), info.fileName(),
                      info.absolutePath() + u'/'});
    }
    if (failed) {
        showError(14, QStringLiteral("There were errors in the Dynamic Menus file:\r\n")
                          + savedFileName);
        showResultsPage();
    } else {
        pm::dialogs().message(
            pm::Dialogs::Kind::Information,
            QStringLiteral("You have just edited the Dynamic Menus file.\r\nNotice that it is "
                           "recommended to restart Pagemason now for changes to take effect and "
                           "work properly.\r\nChanges will not take effect on current open "
                           "documents."),
            pm::Dialogs::Buttons::Ok);
    }
    return true;
}

int checkMenusFile(const QString& file, QTextStream& out)
{
    const TMenusFile menus = readMenusFile(file, true);
    int problems = 0;
    auto report = [&](int line, int position, const QString& message) {
        QString oneLine = message;
        oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        out << file << ':' << line << ':' << position << ": " << oneLine << '\n';
        ++problems;
    };
    for (const TTemplateLine& line : menus.templateLines) {
        const TSyntaxCheck check = checkTemplateSyntax(line.text);
        if (!check.ok)
            report(line.line, check.position, shortErrorMessage(check.code));
    }
    if (menus.errorCode != 0) {
        QString message = shortErrorMessage(menus.errorCode, file);
        if (menus.errorCode == 4 && !menus.errorReason.isEmpty())
            message += QStringLiteral(" (") + menus.errorReason + u')';
        report(menus.errorLine, menus.errorLine > 0 ? 1 : 0, message);
    }
    out.flush();
    return problems == 0 ? 0 : 1;
}
