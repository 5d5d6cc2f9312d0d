/** @file commandActions_utl.cpp ** The plug-in and goto requests. **/
#include "templates/commandActions_utl.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"
#include "templates/pluginCall.h"
#include "templates/templateRunner.h"

#include <QDir>
#include <QFileInfo>

TPluginRequest parsePluginParameters(const QString& parameters)
{
    TPluginRequest r;
    const qsizetype comma = parameters.indexOf(u',');
    r.collection = comma < 0 ? QString() : parameters.left(comma);
    while (r.collection.endsWith(u' '))
        r.collection.chop(1);
    r.function = parameters.mid(comma + 1);
    r.function.remove(u' ').remove(u',');
    return r;
}

QString pluginCollectionPath(const QString& folder, const QString& collection)
{
    const QString exact = folder + collection;
    if (collection.isEmpty() || collection.contains(u'/') || QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& entry : entries)
        if (entry.compare(collection, Qt::CaseInsensitive) == 0)
            return folder + entry;
    return exact;
}

TExportedValues exportedValuesFor(const TMemoSource* editor)
{
    TExportedValues v;
    if (editor) {
        if (editor->hasSelection()) {
            QString selected = editor->SelText();
            if (selected.endsWith(QStringLiteral("\r\n")))
                selected.chop(2);
            else if (selected.endsWith(u'\n') || selected.endsWith(u'\r'))
                selected.chop(1);
            v.selectedText = selected.toStdString();
        }
        v.caretX = editor->CaretX();
        v.caretY = editor->CaretY();
    }
    v.errorsLogFileName = errorLogFileName.toStdString();
    v.appPath = applicationFolder.toStdString();
    v.pluginsPath = pluginsFolder.toStdString();
    return v;
}

std::optional<QString> pluginAction(const QString& parameters, const TExportedValues& values)
{
    const TPluginRequest request = parsePluginParameters(parameters);
    setExportedValues(values);
    const TPluginCallResult result
        = callPlugin(pluginCollectionPath(pluginsFolder, request.collection), request.function);
    switch (result.code) {
    case pluginHost::resultOk:
        return result.text;
    case pluginHost::resultNotFound:
        showError(21, request.function);
        break;
    case pluginHost::resultNotLoaded:
        showError(22, request.collection);
        break;
    default:
        // A plug-in that crashed or hung: the document stays exactly as it was.
        showError(23, QString());
        abandonTemplateRun();
        break;
    }
    return std::nullopt;
}

std::optional<TGotoRequest> parseGotoParameters(const QString& parameters)
{
    TGotoRequest r;
    QString rest = parameters;
    const qsizetype open = rest.indexOf(u'\'');
    if (open >= 0) {
        const qsizetype close = rest.indexOf(u'\'', open + 1);
        const qsizetype end = close < 0 ? rest.size() : close + 1;
        r.text = rest.mid(open + 1, (close < 0 ? rest.size() : close) - open - 1);
        rest.remove(open, end - open);
    }
    rest.remove(u' ');
    rest.remove(0, 1); // the comma after the quoted text
    QString columns, lines;
    const qsizetype comma = rest.indexOf(u',');
    if (comma >= 0) {
        columns = rest.left(comma);
        lines = rest.mid(comma + 1);
    } else {
        lines = rest;
    }
    const auto number = [](QString text, int& out) {
        text.remove(u'+');
        if (text.isEmpty()) {
            out = 0;
            return true;
        }
        bool ok = false;
        out = text.toInt(&ok);
        return ok;
    };
    if (!number(columns, r.columns) || !number(lines, r.lines))
        return std::nullopt;
    return r;
}

void gotoAction(const QString& parameters, TMemoSource& editor)
{
    const std::optional<TGotoRequest> request = parseGotoParameters(parameters);
    if (!request)
        return;
    // A copy of the shared options: a template's goto must not become the user's Find Next.
    TSearchOptions options = searchOptions();
    options.TextToFind = request->text;
    options.CaseSensitive = false;
    options.WholeWordsOnly = false;
    options.RegularExpr = false;
    options.Direction = sdForward;
    options.Scope = ssGlobal;
    options.Origin = soEntireScope;
    options.FirstSearch = true;
    options.InReplace = false;
    options.ReplaceAll = false;
    TSearchPos pos;
    if (!findText(editor, options, pos, editor.delimiterSet()))
        return;
    // The search gives a 1-based index; the caret stands before the found text.
    editor.setCaret(pos.Index - 1 + request->columns, pos.Line + request->lines);
}
