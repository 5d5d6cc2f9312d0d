/** @file editCommands_utl.cpp ** Typing aids and editing commands of a document window. **/
#include "document/editCommands_utl.h"

#include "core/settings_utl.h"
#include "document/Childwin.h"
#include "document/TfontDlg.h"
#include "document/common/TWizardDocument.h"
#include "document/common/string_utl.h"
#include "editor/TDCMemo.h"
#include "templates/dynamicMenus_utl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {

/// A document window as the path routines see it.
class TChildDocument : public TWizardDocument
{
public:
    explicit TChildDocument(TMDIChild& window)
        : m_window(window)
    {
    }
    QString text() const override { return m_window.source().text(); }
    QString fileName() const override { return m_window.fileName; }
    bool saveWithDialog() override { return saveAs(&m_window); }

private:
    TMDIChild& m_window;
};

/// Takes file names dropped on the editor's viewport.
class TDropFilter : public QObject
{
public:
    TDropFilter(TMDIChild* window)
        : QObject(window)
        , m_window(window)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!acceptsFileDrop(e->source(), e->mimeData()))
                return false;
            e->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!acceptsFileDrop(e->source(), e->mimeData()))
                return false;
            const QList<QUrl> urls = e->mimeData()->urls();
            e->acceptProposedAction();
            dropFileName(*m_window, urls.first().toLocalFile());
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TMDIChild* m_window;
};

bool isCaretMoveKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

/// The selection goes and the caret lands on its start, whichever end the caret was at.
void deleteSelectionAtStart(TMemoSource& source)
{
    source.deleteSelection();
}

void connectItem(QAction* item, QObject* context, const std::function<void()>& f)
{
    if (item)
        QObject::connect(item, &QAction::triggered, context, f);
}

} // namespace

void installEditCommands(TMDIChild* window)
{
    TDCMemo* memo = window->editor();
    memo->OnKeyDown = [window](TDCMemo*, QKeyEvent* event, bool& handled) {
        handled = memo1KeyDown(*window, event);
    };
    memo->OnKeyPress = [window](TDCMemo*, QString& text, bool& handled) {
        handled = memo1KeyPress(*window, text);
    };
    memo->viewport()->setAcceptDrops(true);
    memo->viewport()->installEventFilter(new TDropFilter(window));

    connectItem(window->menuItem(QStringLiteral("WackyCaseItem")), window,
        [window] { wackySelection(*window); });
    connectItem(window->menuItem(QStringLiteral("OpenSelectedFile1")), window,
        [window] { openSelectedFile(*window); });
    connectItem(window->menuItem(QStringLiteral("ChangeFontItem")), window,
        [window] { changeFont(*window); });
    if (QMenu* pop = window->contextMenu()) {
        const QList<QAction*> items = pop->actions();
        for (QAction* a : items)
            if (a->objectName() == QLatin1String("OpenSelectedFile2"))
                connectItem(a, window, [window] { openSelectedFile(*window); });
    }
}

bool memo1KeyDown(TMDIChild& window, QKeyEvent* event)
{
    TMemoSource& source = window.source();
    const Qt::KeyboardModifiers mods
        = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrlAlone = mods == Qt::ControlModifier;
    const int key = event->key();

    // Shift+Del is Cut: it must reach the clipboard, not just delete.
    if (source.hasSelection() && (key == Qt::Key_Backspace || (key == Qt::Key_Delete && !shift))) {
        deleteSelectionAtStart(source);
        return true;
    }
    if (!shift && isCaretMoveKey(key) && source.hasSelection()) {
        source.beginChange(opClearSelection);
        source.clearSelection();
        source.endChange();
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    // Alt+Enter makes no line break, so it gets no "<BR>" either.
    if (enter && !(mods & Qt::AltModifier) && globalOptions.autoInsertBR != ctrlAlone)
        insertResult(QStringLiteral("<BR>"), source);
    if (ctrlAlone && key == Qt::Key_Down) {
        window.editor()->scrollLineDown();
        return true;
    }
    if (ctrlAlone && key == Qt::Key_Up) {
        window.editor()->scrollLineUp();
        return true;
    }
    return false;
}

bool memo1KeyPress(TMDIChild& window, QString& text)
{
    TMemoSource& source = window.source();
    const bool completes = text == QStringLiteral(">") && globalOptions.autoCompleteTags;
    if (source.hasSelection() && !completes) {
        // Typing over a selection is one undo step.
        source.beginChange(opInsertAtCaret);
        deleteSelectionAtStart(source);
        for (QChar c : std::as_const(text))
            source.keyChar(c);
        source.endChange();
        return true;
    }
    if (source.hasSelection())
        deleteSelectionAtStart(source);
    if (!completes)
        return false;
    source.insertText(QStringLiteral(">"));
    autoCompleteClosingTag(window);
    if (source.hasSelection())
        source.clearSelection();
    return true;
}

void autoCompleteClosingTag(TMDIChild& window)
{
    TMemoSource& source = window.source();
    const QStringList templates = menuEntryTexts.mid(1); // without the auto-insert template
    const TTagAt tag = getTagAt(source.line(source.CaretY()), source.CaretX() - 1,
        QStringLiteral("<"), QStringLiteral(">"));
    if (tag.start < 0)
        return;
    const QList<int> matches
        = findMatchingEntries(templates, tag.text.trimmed() + QLatin1Char('>'));
    if (matches.isEmpty())
        return;
    const QString& templateText = templates.at(matches.first());
    const int position = closingTagPosition(templateText);
    if (position == 0)
        return;
    insertResult(QStringLiteral("{=,=}") + applyTagCase(templateText.mid(position - 1)), source);
}

void wackySelection(TMDIChild& window)
{
    TMemoSource& source = window.source();
    if (!source.hasSelection())
        return;
    source.beginChange(opReplaceSelection);
    if (source.selectionMode() == smColumn) {
        // A block changes row by row in place; replacing it as one text would pour its rows
        // into the first line. Positions count as in the block's text: padded rows, CR LF.
        int sc, sl, ec, el;
        source.getSelection(sc, sl, ec, el);
        const int c1 = std::min(sc, ec), c2 = std::max(sc, ec);
        const int l1 = std::min(sl, el), l2 = std::max(sl, el);
        for (int l = l1; l <= l2; ++l) {
            const int end = std::min(c2, source.lineLength(l));
            if (end <= c1)
                continue;
            source.setSelection(smStream, c1, l, end, l);
            source.replaceSelection(wackyCase(source.SelText(), qsizetype(l - l1) * (c2 - c1 + 2)));
        }
        source.setSelection(smColumn, sc, sl, ec, el);
    } else {
        source.replaceSelection(wackyCase(source.SelText()));
    }
    source.endChange();
}

TMDIChild* openSelectedFile(TMDIChild& window)
{
    TMemoSource& source = window.source();
    if (!source.hasSelection())
        return nullptr;
    const QString name = source.SelText().trimmed();
    if (name.isEmpty())
        return nullptr;
    // A relative name in a page names a file beside the page; the program's current folder
    // is only the second guess.
    QFileInfo file(name);
    if (file.isRelative() && !window.fileName.isEmpty()) {
        const QFileInfo besideDocument(QFileInfo(window.fileName).dir(), name);
        if (besideDocument.isFile())
            file = besideDocument;
    }
    if (!file.isFile())
        return nullptr;
    return openFile(file.absoluteFilePath());
}

bool acceptsFileDrop(const QObject* source, const QMimeData* data)
{
    // Only the tools window's list of files; drags from other programs have no source here.
    const auto* list = qobject_cast<const QAbstractItemView*>(source);
    if (!list || list->objectName() != QLatin1String("fileList") || !data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return !urls.isEmpty() && urls.first().isLocalFile();
}

void dropFileName(TMDIChild& window, const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    TChildDocument document(window);
    const QString text = unixPathIfWanted(makeRelativePath(fileName, &document));
    window.source().insertAtCaret(text);
}

void applyFontResults(const TfontResults& results, TMDIChild* window)
{
    if (!results.name.isEmpty())
        editorFont.setFamily(results.name);
    bool ok = false;
    const int size = results.size.toInt(&ok);
    if (ok && size > 0)
        editorFont.setPointSize(size);
    editorFont.setBold(results.styles.contains(u'b'));
    editorFont.setItalic(results.styles.contains(u'i'));
    editorFont.setUnderline(results.styles.contains(u'u'));
    editorFont.setStrikeOut(results.styles.contains(u's'));
    if (window)
        window->editor()->setFont(editorFont);

    globalOptions.font.name = editorFont.family().left(32);
    globalOptions.font.size = editorFont.pointSize();
    QString styles;
    if (editorFont.bold())
        styles += QStringLiteral("Bold");
    if (editorFont.italic())
        styles += QStringLiteral("Italic");
    if (editorFont.underline())
        styles += QStringLiteral("Underline");
    if (editorFont.strikeOut())
        styles += QStringLiteral("Strikeout");
    globalOptions.font.styles = styles;
}

void changeFont(TMDIChild& window)
{
    const QFont font = window.editor()->Font();
    TfontResults io;
    io.name = font.family();
    io.size = font.pointSize() > 0 ? QString::number(font.pointSize()) : QString();
    if (font.bold())
        io.styles += u'b';
    if (font.italic())
        io.styles += u'i';
    if (font.underline())
        io.styles += u'u';
    if (font.strikeOut())
        io.styles += u's';
    if (showFontDialog(io, &window))
        applyFontResults(io, &window);
}
