/** @file TRules.h ** The ordered colour rules and the style list they index into. **/
#pragma once

#include "colour/TRule.h"
#include "editor/TTextStyles.h"

#include <QList>
#include <cstdint>
#include <memory>
#include <vector>

/// List order is matching priority: the first rule whose opening text matches wins.
class TRules
{
public:
    TRules();
    TRules(const TRules&) = delete;
    TRules& operator=(const TRules&) = delete;

    /// The view's default style list: what a fresh rule set and a fresh editor control hold.
    static TTextStyles defaultTextStyles();

    /// Owned style list; a rule's StyleIndex is a position in it.
    TTextStyles TextStyles;

    qsizetype count() const { return qsizetype(m_items.size()); }
    const TRule& at(qsizetype i) const { return *m_items[size_t(i)]; }
    TRule& operator[](qsizetype i) { return *m_items[size_t(i)]; }

    /// Appends a rule with the defaults ("Custom Run-Time Rule", no texts, style 0).
    TRule& add();
    /// Frees the rule at `i`; later rules move up.
    void remove(qsizetype i);
    void clear();

    /// Rules and styles copied from `other` (a snapshot the rules dialog restores on Cancel).
    void assign(const TRules& other);

    /// Grows whenever a rule is added, removed or changed; styles do not count.
    uint64_t generation() const { return m_generation; }

private:
    friend class TRule;
    void changed() { ++m_generation; }

    std::vector<std::unique_ptr<TRule>> m_items;
    uint64_t m_generation = 0;
};
