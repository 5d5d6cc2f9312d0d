/** @file TRules.cpp ** The ordered colour rules and the style list they index into. **/
#include "colour/TRules.h"

#include "colour/customRules_utl.h"

TRules colorRules;

QString asciiLower(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return result;
}

void TRule::setValues(const QString& name, const QString& openText, int32_t styleIndex,
                      const QString& closeText)
{
    m_ruleName = name;
    m_openTag = asciiLower(openText);
    m_styleIndex = styleIndex;
    m_closeTag = asciiLower(closeText);
    m_owner->changed();
}

TRules::TRules() : TextStyles(defaultTextStyles()) { }

TTextStyles TRules::defaultTextStyles()
{
    TTextStyle selected;
    selected.Name = QStringLiteral("Selected Text");
    selected.Font.Color = 0x800000;
    selected.Color = 0xFFFFFF;
    return { selected };
}

TRule& TRules::add()
{
    m_items.push_back(std::unique_ptr<TRule>(new TRule(this)));
    changed();
    return *m_items.back();
}

void TRules::remove(qsizetype i)
{
    if (i < 0 || i >= count())
        return;
    m_items.erase(m_items.begin() + i);
    changed();
}

void TRules::clear()
{
    m_items.clear();
    changed();
}

void TRules::assign(const TRules& other)
{
    if (&other == this)
        return;
    TextStyles = other.TextStyles;
    m_items.clear();
    for (const auto& rule : other.m_items) {
        TRule& copy = add();
        copy.m_ruleName = rule->m_ruleName;
        copy.m_openTag = rule->m_openTag;
        copy.m_closeTag = rule->m_closeTag;
        copy.m_styleIndex = rule->m_styleIndex;
    }
    changed();
}
