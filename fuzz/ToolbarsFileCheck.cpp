/** @file ToolbarsFileCheck.cpp ** Property checks of the toolbar file's reader and writer. **/
#include "fuzz/ToolbarsFileCheck.h"

#include "toolbars/common/customToolbar_utl.h"

#include <QStringList>

namespace pmfuzz {

namespace {

    QString shown(const QString& s)
    {
        QString out;
        for (const QChar c : s.left(120)) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                out += c;
        }
        return out + (s.size() > 120 ? QStringLiteral("...") : QString());
    }

    /// Every field of every toolbar, one entry each, in order.
    QStringList fields(const QList<TToolbar>& toolbars)
    {
        QStringList out;
        for (const TToolbar& t : toolbars) {
            out.append(u"toolbar " + QString::number(t.Visible) + u' ' + t.ToolbarName);
            for (const TToolbarElement& e : t.Elements)
                out.append(QStringList { QString::number(e.IsSeparator), e.Caption, e.GlyphFileName,
                    QString::number(e.NumGlyphs), e.Hint, QString::number(e.Width),
                    QString::number(e.Height), QString::number(e.CommandIndex),
                    QString::number(e.DisplayMode), QString::number(e.Layout),
                    QString::number(e.WordWrap), QString::number(e.FontSize),
                    QString::number(e.FontStyle) }
                               .join(u'|'));
        }
        return out;
    }

    QString difference(const QStringList& before, const QStringList& after)
    {
        for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before.at(i) != after.at(i))
                return u"\""_qs + shown(before.at(i)) + u"\" became \""_qs + shown(after.at(i))
                    + u'"';
        if (before.size() != after.size())
            return QStringLiteral("%1 entries became %2").arg(before.size()).arg(after.size());
        return {};
    }

} // namespace

QString checkToolbarsFile(const QByteArray& bytes)
{
    TToolbars first;
    for (const char* name : { "FileNewItem", "TextBold", "Dup", "Dup" })
        first.Commands.add().Name = QLatin1String(name);
    const TToolbarsText read = readToolbarsText(bytes, first.Commands);
    const qsizetype lineCount = bytes.count('\n') + 1;
    if (read.status == TToolbarsText::Malformed
        && (read.errorLine < 2 || read.errorLine > lineCount || read.error.isEmpty()))
        return QStringLiteral("a malformed file blamed line %1 of %2: %3")
            .arg(read.errorLine)
            .arg(lineCount)
            .arg(read.error);
    if (read.status == TToolbarsText::Read) {
        first.replace(read.toolbars);
        const QByteArray saved = toolbarsFileText(first);
        const TToolbarsText again = readToolbarsText(saved, first.Commands);
        if (again.status != TToolbarsText::Read)
            return QStringLiteral("a save did not read back: line %1: %2")
                .arg(again.errorLine)
                .arg(again.error);
        const QString broken = difference(fields(read.toolbars), fields(again.toolbars));
        if (!broken.isEmpty())
            return u"a save changed what a read sees: "_qs + broken;
        TToolbars second;
        for (qsizetype i = 0; i < first.Commands.count(); ++i)
            second.Commands.add().Name = first.Commands.at(i).Name;
        second.replace(again.toolbars);
        if (toolbarsFileText(second) != saved)
            return QStringLiteral("saving what was read changed the bytes");
    }

    const TOldToolbarsConversion old = convertOldToolbarsText(bytes);
    if (old.converted) {
        TMenuCommands none;
        if (readToolbarsText(old.text, none).status == TToolbarsText::WrongHeader)
            return QStringLiteral("a converted file has no toolbar file header");
    } else if (!old.wrongHeader && (old.errorLine < 2 || old.errorLine > lineCount)) {
        return QStringLiteral("a malformed old file blamed line %1 of %2")
            .arg(old.errorLine)
            .arg(lineCount);
    }
    return {};
}

} // namespace pmfuzz
