/** @file TRule.h ** One colour rule: an opening text, an optional closing text and a style. **/
#pragma once

#include <QString>
#include <cstdint>

class TRules;

/// Lower-cases ASCII letters A to Z only; every other character is kept as it is, so a rule
/// written with accented capitals matches exactly those capitals.
QString asciiLower(const QString& text);

/// A collection item of `TRules`: changing it tells the owning collection, so caches built from
/// the rules (the matcher's index) know to rebuild.
class TRule
{
public:
    const QString& RuleName() const { return m_ruleName; }
    /// invariant: no ASCII capital letter (stored through asciiLower).
    const QString& OpenTag() const { return m_openTag; }
    /// invariant: no ASCII capital letter; empty when the span is the opening text alone.
    const QString& CloseTag() const { return m_closeTag; }
    /// Not checked against the style list: -1 or an index past the last style is allowed.
    int32_t StyleIndex() const { return m_styleIndex; }

    /// The set operation used by the loader and the rules dialog.
    void setValues(const QString& name, const QString& openText, int32_t styleIndex,
                   const QString& closeText);

private:
    friend class TRules;
    explicit TRule(TRules* owner) : m_owner(owner) { }

    TRules* m_owner;
    QString m_ruleName = QStringLiteral("Custom Run-Time Rule");
    QString m_openTag;
    QString m_closeTag;
    int32_t m_styleIndex = 0;
};
