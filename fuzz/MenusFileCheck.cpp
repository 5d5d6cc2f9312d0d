/** @file MenusFileCheck.cpp ** Property checks of the dynamic menus file's reader and of the
 ** command-line check. **/
#include "fuzz/MenusFileCheck.h"

#include "fuzz/ScratchFile.h"
#include "fuzz/TemplateSyntaxCheck.h"
#include "templates/TMenusFile.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/requestSyntax.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextStream>

namespace pmfuzz {

namespace {

    /// Deepest nesting the reader takes: top-level menus are 1 deep.
    constexpr int maxDepth = 64;

    /// The file's lines as the reader decodes them, 1-based (entry 0 unused).
    QStringList fileLines(const QByteArray& bytes)
    {
        QStringList lines { QString() };
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            const qsizetype next = end < 0 ? bytes.size() : end + 1;
            if (end < 0)
                end = bytes.size();
            QByteArrayView line(bytes.constData() + start, end - start);
            if (line.endsWith('\r'))
                line.chop(1);
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString text = utf8.decode(line);
            lines.append(utf8.hasError() ? QString::fromLatin1(line) : text);
            start = next;
        }
        return lines;
    }

    struct Walk
    {
        const QStringList& lines;
        const TMenusFile& file;
        QList<const TMenuNode*> inOrder; ///< every item, depth first
        QString broken;

        bool fail(const QString& why)
        {
            broken = why;
            return false;
        }

        bool node(const TMenuNode& n, const QString& path, int depth, bool topLevel)
        {
            if (depth > maxDepth)
                return fail(
                    QStringLiteral("an item on line %1 lies %2 menus deep").arg(n.line).arg(depth));
            if (n.line < 1 || n.line >= lines.size())
                return fail(QStringLiteral("an item stands on line %1 of %2")
                                .arg(n.line)
                                .arg(lines.size() - 1));
            if (!inOrder.isEmpty() && inOrder.last()->line >= n.line)
                return fail(QStringLiteral("the item on line %1 follows one on line %2")
                                .arg(n.line)
                                .arg(inOrder.last()->line));
            inOrder.append(&n);
            const QString& line = lines.at(n.line);
            const QString caption
                = n.isEntry ? entryCaptionFromLine(line) : line.mid(line.indexOf(u'{') + 1);
            if (n.caption != caption)
                return fail(u"the item on line "_qs + QString::number(n.line)
                    + u" has caption \""_qs + shown(n.caption) + u"\", its line gives \""_qs
                    + shown(caption) + u'"');
            const QString name = topLevel ? QString() : menuItemNameFromPath(path + n.caption);
            if (n.name != name || (!topLevel && name.isEmpty()))
                return fail(u"the item on line "_qs + QString::number(n.line) + u" is named \""_qs
                    + shown(n.name) + u"\", its path gives \""_qs + shown(name) + u'"');
            if (n.isEntry) {
                if (!n.children.isEmpty())
                    return fail(QStringLiteral("the entry on line %1 has items").arg(n.line));
                if (n.tag <= 0 || n.tag >= file.entryTexts.size())
                    return fail(QStringLiteral("the entry on line %1 has tag %2 of a table of %3")
                                    .arg(n.line)
                                    .arg(n.tag)
                                    .arg(file.entryTexts.size()));
                return true;
            }
            if (n.tag != 0)
                return fail(
                    QStringLiteral("the menu on line %1 has tag %2").arg(n.line).arg(n.tag));
            QHash<QString, int> entryNames;
            for (const TMenuNode& child : n.children) {
                if (child.isEntry) {
                    const QString folded = child.name.toLower();
                    if (entryNames.contains(folded))
                        return fail(QStringLiteral("the entries on lines %1 and %2 share a name")
                                        .arg(entryNames.value(folded))
                                        .arg(child.line));
                    entryNames.insert(folded, child.line);
                }
                if (!node(child, path + n.caption, depth + 1, false))
                    return false;
            }
            return true;
        }
    };

    /// Every item of the menus, one text each, depth first.
    QStringList items(const QList<TMenuNode>& nodes)
    {
        QStringList out;
        for (const TMenuNode& n : nodes) {
            out.append(QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(n.isEntry)
                           .arg(n.line)
                           .arg(n.tag)
                           .arg(n.name, n.caption));
            out += items(n.children);
            out.append(QStringLiteral("end"));
        }
        return out;
    }

} // namespace

QString checkMenusFile(const QByteArray& bytes)
{
    const QString path = scratchFile(QStringLiteral("fuzz.mnu"), bytes);
    if (path.isEmpty())
        return QStringLiteral("the scratch file could not be written");
    const QStringList lines = fileLines(bytes);
    const int lineCount = int(lines.size()) - 1;
    const TMenusFile file = readMenusFile(path, true);

    if (file.errorCode == 4) {
        if (file.errorReason.isEmpty() || file.errorLine < 1
            || file.errorLine > std::max(1, lineCount))
            return QStringLiteral("a file of %1 lines that was not read blames line %2: %3")
                .arg(lineCount)
                .arg(file.errorLine)
                .arg(file.errorReason);
    } else if (file.errorCode != 0) {
        return QStringLiteral("a file that exists gave error %1").arg(file.errorCode);
    } else if (file.errorLine != 0 || !file.errorReason.isEmpty()) {
        return QStringLiteral("a file that was read blames line %1").arg(file.errorLine);
    }

    Walk walk { lines, file, {}, {} };
    for (const TMenuNode& menu : file.menus)
        if (!walk.node(menu, QString(), 1, true))
            return walk.broken;
    int lastTag = 0;
    int entries = 0;
    for (const TMenuNode* n : std::as_const(walk.inOrder)) {
        if (!n->isEntry)
            continue;
        ++entries;
        if (n->tag <= lastTag)
            return QStringLiteral("the entry on line %1 has tag %2 after tag %3")
                .arg(n->line)
                .arg(n->tag)
                .arg(lastTag);
        lastTag = n->tag;
    }

    int lastKept = 0;
    for (const TTemplateLine& kept : file.templateLines) {
        if (kept.line <= lastKept || kept.line > lineCount)
            return QStringLiteral("a template line is kept as line %1 after line %2 of %3")
                .arg(kept.line)
                .arg(lastKept)
                .arg(lineCount);
        lastKept = kept.line;
        if (kept.text != lines.at(kept.line))
            return u"template line "_qs + QString::number(kept.line) + u" is kept as \""_qs
                + shown(kept.text) + u"\", the file has \""_qs + shown(lines.at(kept.line)) + u'"';
    }

    if (file.errorCode == 0) {
        if (file.entryTexts.size() != entries + 1)
            return QStringLiteral("%1 entries have a table of %2 texts")
                .arg(entries)
                .arg(file.entryTexts.size());
        // The lines kept between an item and the next one (or the end) are that item's
        // template; those before the first item are the auto-insert text.
        QList<QStringList> texts(entries + 1);
        qsizetype item = -1; // index into walk.inOrder of the item the lines follow
        int slot = 0;
        for (const TTemplateLine& kept : file.templateLines) {
            while (item + 1 < walk.inOrder.size() && walk.inOrder.at(item + 1)->line < kept.line) {
                ++item;
                slot = walk.inOrder.at(item)->isEntry ? walk.inOrder.at(item)->tag : -1;
            }
            if (slot < 0)
                return QStringLiteral("template line %1 follows a menu line").arg(kept.line);
            texts[slot].append(kept.text);
        }
        for (int k = 0; k <= entries; ++k)
            if (file.entryTexts.at(k) != texts.at(k).join(QStringLiteral("\r\n")))
                return QStringLiteral("text %1 of the table is \"%2\", its lines give \"%3\"")
                    .arg(k)
                    .arg(shown(file.entryTexts.at(k)), shown(texts.at(k).join(u"\r\n"_qs)));
    }

    const TMenusFile plain = readMenusFile(path, false);
    if (plain.errorCode != file.errorCode || plain.errorLine != file.errorLine
        || plain.entryTexts != file.entryTexts || items(plain.menus) != items(file.menus)
        || !plain.templateLines.isEmpty())
        return QStringLiteral("reading without the template lines gave other menus");

    QSet<int> failing;
    int tagLines = 0;
    for (const TTemplateLine& kept : file.templateLines) {
        const bool withTags = tagLines < 12 && kept.text.contains(u'<');
        tagLines += withTags;
        if (QString broken = checkTemplateText(kept.text, withTags); !broken.isEmpty())
            return QStringLiteral("template line %1: ").arg(kept.line) + broken;
        if (!::checkTemplateSyntax(kept.text).ok)
            failing.insert(kept.line);
    }

    // The command-line check: "FILE:LINE:POSITION: message" per problem.
    QString report;
    QTextStream out(&report);
    const int status = ::checkMenusFile(path, out);
    static const QRegularExpression problem(QStringLiteral("^(.*):(\\d+):(\\d+): (.*)$"));
    const QStringList reported = report.split(u'\n', Qt::SkipEmptyParts);
    const bool clean = failing.isEmpty() && file.errorCode == 0;
    if ((status == 0) != reported.isEmpty() || (status == 0) != clean)
        return QStringLiteral("the command-line check returned %1 with %2 problems for %3 "
                              "failing lines and error %4")
            .arg(status)
            .arg(reported.size())
            .arg(failing.size())
            .arg(file.errorCode);
    qsizetype syntaxProblems = 0;
    for (const QString& r : reported) {
        const QRegularExpressionMatch m = problem.match(r);
        if (!m.hasMatch() || m.captured(1) != path)
            return u"the command-line check printed \""_qs + shown(r) + u'"';
        const int line = m.captured(2).toInt();
        const int position = m.captured(3).toInt();
        if (line == file.errorLine && file.errorCode != 0 && position <= 1
            && m.captured(4).contains(file.errorReason))
            continue;
        ++syntaxProblems;
        if (!failing.contains(line) || position < 1 || position > lines.at(line).size())
            return QStringLiteral("the command-line check blames line %1 at %2: %3")
                .arg(line)
                .arg(position)
                .arg(shown(m.captured(4)));
    }
    if (syntaxProblems != failing.size())
        return QStringLiteral("the command-line check named %1 of %2 failing lines")
            .arg(syntaxProblems)
            .arg(failing.size());
    return {};
}

} // namespace pmfuzz
