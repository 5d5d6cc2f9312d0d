/** @file TToolbarButton.h ** A toolbar button built from a description: its glyph beside its
 ** caption, in the place, font and size the description gives. **/
#pragma once

#include "toolbars/common/customToolbar_utl.h"
#include "toolbars/toolbarGlyph_utl.h"

#include <QToolButton>

class TToolbarButton : public QToolButton
{
    Q_OBJECT
public:
    /// The sizes a button takes, whatever its description says.
    static constexpr int minSide = 1;
    static constexpr int maxSide = 999;

    TToolbarButton(const TToolbarElement& element, const TToolbarGlyph& glyph, QWidget* parent);

    /// The tag of its command; a dynamic menu entry finds its template by it.
    int32_t tag() const { return m_tag; }
    void setTag(int32_t tag) { m_tag = tag; }
    QString caption() const { return m_element.Caption; }
    const TToolbarElement& element() const { return m_element; }
    bool hasGlyph() const { return !m_glyph.isNull(); }
    /// Runs on a click, after the click has been handled, with the button as the sender. An
    /// empty action makes the button inert.
    void setAction(TMenuCommandAction action) { m_action = std::move(action); }
    bool isInert() const { return !m_action; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void clicked();

    TToolbarElement m_element;
    TToolbarGlyph m_glyph;
    int32_t m_tag = -1;
    TMenuCommandAction m_action;
};
