/** @file TToolbarWindow.h ** A dockable toolbar window built from one toolbar description. **/
#pragma once

#include "toolbars/common/customToolbar_utl.h"

#include <QToolBar>

class TToolbarWindow : public QToolBar
{
    Q_OBJECT
public:
    /// The tag of every window built from a description.
    static constexpr int windowTag = 9999;

    /// An empty window captioned with the description's name; it leaves `toolbarWindows`
    /// when it is freed.
    TToolbarWindow(const TToolbar& description, QWidget* parent);
    ~TToolbarWindow() override;

    int tag() const { return windowTag; }
    /// The description it was built from (TToolbar::id()), and that description's index.
    uint64_t descriptionId() const { return m_descriptionId; }
    qsizetype descriptionIndex() const { return m_descriptionIndex; }
    void setDescriptionIndex(qsizetype index) { m_descriptionIndex = index; }
    /// The description's own visibility, which "Tool&bars" never overrides.
    bool describedVisible() const { return m_describedVisible; }

private:
    uint64_t m_descriptionId;
    qsizetype m_descriptionIndex = -1;
    bool m_describedVisible;
};
