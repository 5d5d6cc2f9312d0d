/** @file inputTemplatesFrm.h ** The hidden form of wizard page templates, one per page kind,
 ** created at start-up; the wizard copies a page from it for every request. **/
#pragma once

#include <QWidget>

class QStackedWidget;
class TwizardPage;

/// Control positions on each page kind: the mapping through which a copied page's controls are
/// reached by the names of the template's controls.
namespace wizardControls {
enum FilePage { filenameEdit, fileNameBrowse };
enum StringPage { stringEdit };
enum NumberPage { numberEdit };
enum PercentPage { percentEdit, percentLabel };
enum UrlPage { urlEdit, urlButton };
enum UrlFilePage { urlFileEdit, browseButton, urlFileButton };
enum ColorPage { colorChk, ColorButton1, capColorBtn };
enum AttListPage { attList };
enum AlignPage { ALIGNListbox };
enum ImagePage {
    imageFNEdit,
    imageBrowseButton,
    Button2,
    imageWidthEdit,
    imageHeightEdit,
    imagePreview
};
enum ListPage { listEdit, ListBox1, tmpList };
enum TextPage { textEdit };
enum DatePage { dateTypeGrp, lastModifiedRadio, customDateRadio, DatePicker1 };
} // namespace wizardControls

/// Page tags (page kinds); equal to the request type codes except date.
enum TwizardPageTag {
    filenamePage = 2,
    stringPage = 3,
    numberPage = 4,
    percentPage = 5,
    urlPage = 6,
    urlFilePage = 7,
    colorPage = 8,
    attListPage = 9,
    alignmentPage = 10,
    imagePage = 11,
    listPage = 12,
    textPage = 13,
    datePage = 14,
};

/// The page tag for a request type code; 0 when the type has no page.
int pageTagForType(int type);
/// The page size table (client height and width of a page), by tag; 0 for an unknown tag.
int pageHeight(int tag);
int pageWidth(int tag);

class TinputTemplates : public QWidget
{
    Q_OBJECT
public:
    /// Builds every template page and fills their history combos from `historyFileName`.
    /// The first one made becomes the instance() until it is destroyed.
    explicit TinputTemplates(QWidget* parent = nullptr);
    ~TinputTemplates() override;

    /// The form created at start-up, or null.
    static TinputTemplates* instance();

    /// The template page of a tag; null for an unknown tag.
    TwizardPage* templatePage(int tag) const;
    /// A copy of the template page of `tag` with the template's list contents; null for an
    /// unknown tag. The copy's signals are not connected: the wizard binds them.
    TwizardPage* copyPage(int tag, QWidget* parent) const;
    /// Re-reads one history section into the template combos that show it.
    void reloadHistory(const QString& section);

    /// Builds an empty page of a kind (the factory behind both templates and copies).
    static TwizardPage* buildPage(int tag, QWidget* parent);
    /// The history section a tag's combo shows; empty for pages without history.
    static QString historySection(int tag);
    /// The position of the combo with history on a page of `tag`; -1 when there is none.
    static int historyCombo(int tag);

    QStackedWidget* pageControl1 = nullptr;

private:
    void loadHistory();
};
