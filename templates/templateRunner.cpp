/** @file templateRunner.cpp ** Runs a template up to the text that is typed into the document. **/
#include "templates/templateRunner.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "document/common/string_utl.h"
#include "templates/TRequestActions.h"
#include "templates/requestSyntax.h"

#include <climits>
#include <exception>
#include <vector>

TTagEditState tagEditState;

namespace {
bool runAbandoned = false;
}

void abandonTemplateRun()
{
    runAbandoned = true;
}

bool templateRunAbandoned()
{
    return runAbandoned;
}

namespace {

const QString openTag = QStringLiteral("{=");
const QString closeTag = QStringLiteral("=}");

QString placeholder(int k)
{
    return openTag + QString::number(k) + closeTag;
}

/// Replaces every placeholder in one pass, so an answer that happens to hold "{=1=}" stays text.
QString substituteAnswers(const QString& text, const QList<TWizardPage>& pages)
{
    static const QString guarded = QString(u'{') + QChar(answerGuard) + u'=';
    QString out;
    out.reserve(text.size());
    // Where a substitution joins texts, a "{" and a "=" meet that the template kept apart (two
    // answers side by side, an answer and its prefix or suffix): they must not become a request.
    bool joining = false;
    auto join = [&](QStringView piece) {
        if (joining && !piece.isEmpty() && piece.front() == u'=' && out.endsWith(u'{'))
            out += QChar(answerGuard);
        out += piece;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype at = text.indexOf(openTag, i);
        if (at < 0)
            break;
        qsizetype d = at + 2;
        while (d < text.size() && text.at(d).isDigit() && text.at(d).unicode() < 128)
            ++d;
        bool ok = false;
        const int k = text.mid(at + 2, d - at - 2).toInt(&ok);
        if (d > at + 2 && ok && QStringView(text).mid(d, 2) == closeTag && k < pages.size()) {
            join(QStringView(text).mid(i, at - i));
            joining = true;
            const TWizardPage& page = pages.at(k);
            if (!(page.answer.isEmpty() && page.optional)) {
                QString answer = page.answer;
                answer.replace(QStringLiteral("{="), guarded);
                join(page.prefix);
                join(answer);
                join(page.suffix);
            }
            i = d + 2;
        } else {
            join(QStringView(text).mid(i, at + 2 - i));
            joining = false;
            i = at + 2;
        }
    }
    join(QStringView(text).mid(i));
    return out;
}

bool isPrefixStop(QChar c)
{
    return c == u' ' || c == u'<' || c == u'}';
}

bool isSuffixStop(QChar c)
{
    return c == u' ' || c == u'>' || c == u'{';
}

/// Progress shown only when the shown percentage changes.
class Progress
{
public:
    void show(qsizetype position, qsizetype maximum)
    {
        const int percent = maximum > 0 ? int(position * 100 / maximum) : 100;
        if (percent == m_shown)
            return;
        m_shown = percent;
        setProgress(int(qMin<qsizetype>(position, INT_MAX)),
                                   int(qMin<qsizetype>(maximum, INT_MAX)));
    }

private:
    int m_shown = -1;
};

} // namespace

QString runTemplate(const QString& templateText, const QString& title)
{
    tagEditState.active = false;
    tagEditState.ok = true;
    return runTemplateCore(templateText, title);
}

QString runTemplateCore(const QString& templateText, const QString& title)
{
    bool busy = false;
    auto finish = [&](const QString& status) {
        setProgress(100, 100);
        if (busy)
            setBusyCursor(false);
        setStatus(status);
        return QString();
    };

    runAbandoned = false;
    try {
        if (!tagEditState.ok)
            return finish(QStringLiteral("Error. Ready"));

        setBusyCursor(true);
        busy = true;
        setStatus(QStringLiteral("Checking tag syntax..."));
        if (!checkTemplateSyntaxAndReport(templateText))
            return finish(QStringLiteral("Error in tag syntax. Ready"));

        // The text before the scan position is `out` (already transformed), the text from it
        // on is t.mid(i): requests are cut from the ends of the two, never from the middle of
        // one long text, so a run stays linear in the length of the template.
        QString out;
        out.reserve(templateText.size());
        QString t = templateText;
        QList<TWizardPage> pages;
        QList<TWizardStep> steps;
        int insertions = 0;
        // For every inserted text the scan is still inside: the length of what follows it, and
        // whether a plug-in wrote it. A plug-in's text is typed as written, not through the tag
        // case: its words are the user's text (upper case of a selection must stay upper case).
        struct Inserted {
            qsizetype tail;
            bool byPlugin;
        };
        std::vector<Inserted> insertedTails;
        Progress progress;
        qsizetype i = 0;
        while (i < t.size()) {
            while (!insertedTails.empty() && t.size() - i <= insertedTails.back().tail)
                insertedTails.pop_back();
            progress.show(out.size() + 1, out.size() + t.size() - i);
            if (!(t.at(i) == u'{' && i + 1 < t.size() && t.at(i + 1) == u'=')) {
                const bool verbatim = !insertedTails.empty() && insertedTails.back().byPlugin;
                out += verbatim ? QString(t.at(i)) : applyTagCase(t.at(i));
                ++i;
                continue;
            }
            const qsizetype close = t.indexOf(closeTag, i + 2);
            // Text brought in by an action is not checked; an unclosed "{=" there is plain text.
            if (close < 0) {
                out += t.at(i++);
                continue;
            }
            const QString content = t.mid(i + 2, close - i - 2);
            if (content == QStringLiteral(",")) {
                out += t.at(i++);
                continue;
            }
            TRequest request = parseRequest(content);
            const int type = request.type;
            if (type == rtRun) {
                requestActions().runRequestAction(request.parameters);
                setProgress(100, 100);
                setBusyCursor(false);
                setStatus(QStringLiteral("Ready"));
                return QString();
            }
            if (!(isWizardRequestType(type) || type == rtMsg || type == rtMenuCommand
                  || type == rtPlugin)) {
                // Unknown requests and "goto" stay in the text until it is typed.
                out += t.at(i++);
                continue;
            }

            i = close + 2;
            request.parameters = applyTagCase(request.parameters);
            qsizetype start = out.size();
            while (start > 0 && !isPrefixStop(out.at(start - 1)))
                --start;
            if (start > 0 && out.at(start - 1) == u' ')
                --start;
            const QString prefix = out.mid(start);
            out.truncate(start);
            qsizetype end = i;
            while (end < t.size() && !isSuffixStop(t.at(end)))
                ++end;
            const QString suffix = applyTagCase(t.mid(i, end - i));
            i = end;

            if (type == rtMenuCommand || type == rtPlugin) {
                const std::optional<QString> text = type == rtMenuCommand
                    ? requestActions().menuCommandAction(request.parameters)
                    : requestActions().pluginAction(request.parameters);
                if (runAbandoned)
                    return finish(QStringLiteral("Error. Ready"));
                if (text) {
                    if (insertedTails.size() >= size_t(maxActionDepth)) {
                        showError(14, QStringLiteral("The request \"%1[%2]\" is nested more than "
                                                     "%3 levels deep in texts that menu commands "
                                                     "and plug-ins insert: a menu entry probably "
                                                     "reaches itself again. Please check the "
                                                     "Dynamic Menus file (")
                                          .arg(type == rtMenuCommand ? QStringLiteral("menucommand")
                                                                     : QStringLiteral("plugin"),
                                               request.parameters,
                                               QString::number(maxActionDepth))
                                      + dynamicMenusFileName + QStringLiteral(")."));
                        return finish(QStringLiteral("Error. Ready"));
                    }
                    // Entries that pull each other in would otherwise grow the text forever.
                    if (++insertions > maxActionInsertions) {
                        showError(14, QStringLiteral("The menu commands and plug-ins of this entry "
                                                     "insert text without end. Please check the "
                                                     "Dynamic Menus file (")
                                          + dynamicMenusFileName + QStringLiteral(")."));
                        return finish(QStringLiteral("Error. Ready"));
                    }
                    // The inserted text is scanned next, its requests like the template's own.
                    insertedTails.push_back({ t.size() - i, type == rtPlugin });
                    t = prefix + *text + suffix + QStringView(t).mid(i);
                    i = 0;
                }
                continue;
            }
            if (type == rtMsg) {
                steps.append({QStringLiteral("msg ") + request.parameters, -1, request.parameters});
                continue;
            }

            TWizardPage page;
            page.type = type;
            page.description = request.description;
            page.parameters = request.parameters;
            page.prefix = prefix;
            page.suffix = suffix;
            page.optional = request.optional;
            if (tagEditState.active && tagEditState.prefillPage)
                tagEditState.prefillPage(page);
            if (!tagEditState.ok)
                return finish(QStringLiteral("Error. Ready"));
            steps.append({page.description, int(pages.size()), QString()});
            out += placeholder(int(pages.size()));
            pages.append(page);
        }
        t = out;

        if (tagEditState.active && tagEditState.addExtraAttributePages) {
            tagEditState.addExtraAttributePages(pages, steps, t);
            if (!tagEditState.ok)
                return finish(QStringLiteral("Error. Ready"));
        }
        setProgress(100, 100);
        setBusyCursor(false);
        busy = false;

        if (pages.isEmpty()) {
            setStatus(QStringLiteral("Ready"));
            return t;
        }
        if (pages.size() > maxWizardPages) {
            showError(14, QStringLiteral("This menu item asks for %1 values, but the wizard can ask "
                                         "for at most %2. Please check the Dynamic Menus file (")
                              .arg(pages.size())
                              .arg(maxWizardPages)
                          + dynamicMenusFileName + QStringLiteral(")."));
            return finish(QStringLiteral("Error. Ready"));
        }
        setStatus(QStringLiteral("Waiting for user input..."));
        TWizard* w = wizard();
        if (!w || !w->run(title, pages, steps))
            return finish(QStringLiteral("User canceled wizard. Ready"));
        t = substituteAnswers(t, pages);
        setStatus(QStringLiteral("Ready"));
        return t;
    } catch (const std::exception&) {
        showError(14, QStringLiteral("An error has occured while trying to parse the text "
                                     "assocciated with the menu item. Please check the Dynamic "
                                     "Menus file (")
                          + dynamicMenusFileName + QStringLiteral(")."));
        return finish(QStringLiteral("Unknown error in tag. Ready"));
    }
}
