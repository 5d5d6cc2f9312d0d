/** @file ColorRulesCheck.cpp ** Property checks of the colour rules file and of line colouring. **/
#include "fuzz/ColorRulesCheck.h"

#include "colour/ColorRuleMatcher.h"
#include "colour/TDCParser.h"
#include "colour/TRules.h"
#include "colour/customRules_utl.h"
#include "fuzz/ScratchFile.h"
#include "platform/Dialogs.h"

#include <QStringDecoder>

#include <memory>

namespace pmfuzz {

namespace {

    /// Answers every box at once and counts the errors shown.
    class CountingDialogs : public pm::Dialogs
    {
    public:
        Answer message(Kind kind, const QString& text, Buttons buttons, const QString&) override
        {
            if (kind == Kind::Error) {
                ++errors;
                last = text;
            }
            return safeAnswer(buttons);
        }
        QStringList openFiles(FileRequest&) override { return {}; }
        QString saveFile(FileRequest&) override { return {}; }
        int errors = 0;
        QString last;
    };

    struct DialogsScope
    {
        CountingDialogs dialogs;
        pm::Dialogs* previous = pm::setDialogs(&dialogs);
        ~DialogsScope() { pm::setDialogs(previous); }
    };

    QString field(const QString& s)
    {
        QString out = s;
        return out.replace(u'\r', u' ').replace(u'\n', u' ');
    }

    /// Styles and rules, one text each, as a save keeps them.
    QStringList contents(const TRules& rules, bool asSaved)
    {
        QStringList out;
        for (const TTextStyle& style : rules.TextStyles) {
            QString name = asSaved ? field(style.Name) : style.Name;
            if (asSaved && name.isEmpty())
                name = QStringLiteral(" ");
            out.append(u"style "_qs + name + u'|' + QString::number(style.Font.Color) + u'|'
                + QString::number(style.Color));
        }
        for (qsizetype i = 0; i < rules.count(); ++i) {
            const TRule& r = rules.at(i);
            out.append(u"rule "_qs + (asSaved ? field(r.RuleName()) : r.RuleName()) + u'|'
                + (asSaved ? field(r.OpenTag()) : r.OpenTag()) + u'|'
                + (asSaved ? field(r.CloseTag()) : r.CloseTag()) + u'|'
                + QString::number(r.StyleIndex()));
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
            return QStringLiteral("%1 styles and rules became %2")
                .arg(before.size())
                .arg(after.size());
        return {};
    }

    struct Pass
    {
        QByteArray colors;
        int32_t endState = 0;
        bool operator==(const Pass&) const = default;
    };

    /// The line in heap blocks of exactly its size, so that a read or write past either end
    /// is caught.
    Pass parse(TDCParser& parser, const QString& line, int32_t initState, bool wide)
    {
        const qsizetype n = line.size();
        std::unique_ptr<char[]> narrow;
        std::unique_ptr<char16_t[]> utf16;
        LineText text;
        if (n > 0 && wide) {
            utf16.reset(new char16_t[size_t(n)]);
            std::copy_n(reinterpret_cast<const char16_t*>(line.utf16()), n, utf16.get());
            text = LineText(utf16.get(), n);
        } else if (n > 0) {
            narrow.reset(new char[size_t(n)]);
            for (qsizetype i = 0; i < n; ++i)
                narrow[size_t(i)] = char(line.at(i).unicode());
            text = LineText(narrow.get(), n);
        }
        std::unique_ptr<uint8_t[]> colors(new uint8_t[size_t(std::max<qsizetype>(n, 1))]());
        Pass pass;
        pass.endState = parser.parseLine(text, initState, colors.get());
        pass.colors = QByteArray(reinterpret_cast<const char*>(colors.get()), n);
        return pass;
    }

    bool standsAt(const QString& line, qsizetype at, const QString& text)
    {
        if (line.size() - at < text.size())
            return false;
        for (qsizetype k = 0; k < text.size(); ++k) {
            char16_t c = line.at(at + k).unicode();
            if (c >= u'A' && c <= u'Z')
                c += 32;
            if (c != text.at(k).unicode())
                return false;
        }
        return true;
    }

    /// The matcher and the line pass written out plainly: every rule at every position.
    Pass plainPass(const QString& line, int32_t initState, const TRules& rules)
    {
        Pass pass { QByteArray(line.size(), '\0'), initState };
        int32_t& state = pass.endState;
        qsizetype pos = 0;
        while (pos < line.size()) {
            if (state != 0 && state != ColorRuleMatcher::kOpenSpanState) {
                ++pos;
                continue;
            }
            const qsizetype p = pos;
            const TRule* found = nullptr;
            for (qsizetype i = 0; i < rules.count() && !found; ++i) {
                const TRule& r = rules.at(i);
                if (!r.OpenTag().isEmpty() && standsAt(line, p, r.OpenTag()))
                    found = &r;
            }
            int32_t token;
            if (!found) {
                pos = p + 1;
                state = 0;
                token = ColorRuleMatcher::kNoRule;
            } else if (found->CloseTag().isEmpty()) {
                pos = p + found->OpenTag().size();
                state = 0;
                token = found->StyleIndex();
            } else {
                qsizetype q = p;
                while (q < line.size() && !standsAt(line, q, found->CloseTag()))
                    ++q;
                pos = q < line.size() ? q + found->CloseTag().size() : line.size();
                state = q < line.size() ? 0 : ColorRuleMatcher::kOpenSpanState;
                token = found->StyleIndex();
            }
            if (token == 0)
                break;
            if (token != -1)
                for (qsizetype i = p; i < pos; ++i)
                    pass.colors[i] = char(token & 0xFF);
        }
        return pass;
    }

    /// Hands every character to the matcher as a handler of its own would, which keeps the
    /// matcher from colouring stretches itself.
    int32_t tokenByToken(void* matcher, TDCParser&)
    {
        return static_cast<ColorRuleMatcher*>(matcher)->colorRuleToken();
    }

    QString picture(const QByteArray& colors)
    {
        QString out;
        for (const char c : colors.left(80))
            out += QString::number(static_cast<unsigned char>(c), 16) + u' ';
        return out;
    }

    /// The plain matcher costs lines x rules x opening length: it runs on this much at most.
    constexpr qsizetype plainWork = 1 << 20;

    QString checkColouring(const TRules& rules, const QStringList& lines)
    {
        TDCParser fast;
        ColorRuleMatcher fastMatcher(fast, rules);
        TDCParser stepwise;
        ColorRuleMatcher stepMatcher(stepwise, rules);
        stepwise.registerHandler({ 0, ColorRuleMatcher::kOpenSpanState }, &tokenByToken,
            &stepMatcher, TDCParser::TCharSet::all());
        qsizetype openings = 0;
        for (qsizetype i = 0; i < rules.count(); ++i)
            openings += rules.at(i).OpenTag().size() + 1;
        for (const QString& line : lines) {
            bool latin1 = true;
            for (const QChar c : line)
                latin1 = latin1 && c.unicode() < 256;
            for (const int32_t init : { 0, int32_t(ColorRuleMatcher::kOpenSpanState), 3 }) {
                const Pass wide = parse(fast, line, init, true);
                const Pass steps = parse(stepwise, line, init, true);
                if (!(wide == steps))
                    return QStringLiteral("line \"%1\" from state %2: colouring stretches gave "
                                          "%3 (state %4), token by token %5 (state %6)")
                        .arg(shown(line))
                        .arg(init)
                        .arg(picture(wide.colors))
                        .arg(wide.endState)
                        .arg(picture(steps.colors))
                        .arg(steps.endState);
                if (latin1) {
                    const Pass narrow = parse(fast, line, init, false);
                    if (!(narrow == wide))
                        return QStringLiteral("line \"%1\" from state %2: stored as Latin-1 it "
                                              "gave %3 (state %4), as UTF-16 %5 (state %6)")
                            .arg(shown(line))
                            .arg(init)
                            .arg(picture(narrow.colors))
                            .arg(narrow.endState)
                            .arg(picture(wide.colors))
                            .arg(wide.endState);
                    if (!(parse(stepwise, line, init, false) == narrow))
                        return QStringLiteral("line \"%1\" from state %2: token by token as "
                                              "Latin-1 it differs")
                            .arg(shown(line))
                            .arg(init);
                }
                if (line.size() * openings <= plainWork) {
                    const Pass plain = plainPass(line, init, rules);
                    if (!(plain == wide))
                        return QStringLiteral("line \"%1\" from state %2: the matcher gave %3 "
                                              "(state %4), the plain one %5 (state %6)")
                            .arg(shown(line))
                            .arg(init)
                            .arg(picture(wide.colors))
                            .arg(wide.endState)
                            .arg(picture(plain.colors))
                            .arg(plain.endState);
                }
            }
        }
        return {};
    }

} // namespace

QString checkColorRules(const QByteArray& bytes)
{
    DialogsScope scope;
    const QString path = scratchFile(QStringLiteral("fuzz.colors"), bytes);
    if (path.isEmpty())
        return QStringLiteral("the scratch file could not be written");
    TRules read;
    const bool ok = loadColorRules(read, path);
    if (ok != (scope.dialogs.errors == 0) || scope.dialogs.errors > 1)
        return QStringLiteral("a read that %1 showed %2 errors: %3")
            .arg(ok ? QStringLiteral("succeeded") : QStringLiteral("failed"))
            .arg(scope.dialogs.errors)
            .arg(shown(scope.dialogs.last));

    if (ok) {
        const QString saved = scratchPath(QStringLiteral("fuzz-saved.colors"));
        if (!saveColorRules(read, saved))
            return u"saving what was read failed: "_qs + shown(scope.dialogs.last);
        const QByteArray savedBytes = scratchBytes(saved);
        TRules again;
        if (!loadColorRules(again, saved))
            return u"a save did not read back: "_qs + shown(scope.dialogs.last);
        if (QString broken = difference(contents(read, true), contents(again, false));
            !broken.isEmpty())
            return u"a save changed what a read sees: "_qs + broken;
        if (!saveColorRules(again, saved) || scratchBytes(saved) != savedBytes)
            return QStringLiteral("saving what was read changed the bytes");
    }

    // The file's own lines hold the rules' texts; one more line strings them together.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    QStringList lines = text.split(u'\n').mid(0, 64);
    QString together;
    for (qsizetype i = 0; i < read.count() && together.size() < 4096; ++i)
        together += read.at(i).OpenTag() + u'x' + read.at(i).CloseTag() + read.at(i).OpenTag();
    lines.append(together);
    return checkColouring(read, lines);
}

} // namespace pmfuzz
