/** @file TwizardPage.h ** One page of the input wizard, or one of the hidden template pages it
 ** is copied from. **/
#pragma once

#include <QList>
#include <QWidget>

/// A page whose controls are reached by position: the control of a copied page that
/// corresponds to a template control is the one at the same index of `controls`.
class TwizardPage : public QWidget
{
    Q_OBJECT
public:
    TwizardPage(int tag, QWidget* parent) : QWidget(parent), m_tag(tag) {}

    int tag() const { return m_tag; }
    /// Adds a control at the next position; the page keeps ownership through Qt's parents.
    template <class W>
    W* add(W* control)
    {
        m_controls.append(control);
        return control;
    }
    QWidget* control(int position) const { return m_controls.value(position); }
    template <class W>
    W* control(int position) const
    {
        return qobject_cast<W*>(control(position));
    }
    const QList<QWidget*>& controls() const { return m_controls; }

private:
    int m_tag; ///< page kind: the request type code, but 14 for "date" (type 15)
    /// invariant: same length and same kinds, in the same order, for every page of one tag
    QList<QWidget*> m_controls;
};
