/** @file memo_demo.cpp ** pagemason-memo-demo [--trace] [FILE]: the editor control on its own, for trying it by hand. **/
#include "editor/TDCMemo.h"
#include "editor/TGoToLineDlg.h"

#include <QApplication>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <cstdio>

namespace {

// Tags in style 1, attribute values in style 2, comments (which span lines) in style 3.
int32_t colourTags(const LineText& line, int32_t state, uint8_t* colors)
{
    bool inTag = false, inValue = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line.at(i);
        if (state == 0 && c == u'<' && i + 3 < line.size() && line.at(i + 1) == u'!'
            && line.at(i + 2) == u'-' && line.at(i + 3) == u'-')
            state = 1;
        if (state == 1) {
            colors[i] = 3;
            if (c == u'>' && i >= 2 && line.at(i - 1) == u'-' && line.at(i - 2) == u'-')
                state = 0;
            continue;
        }
        if (c == u'<')
            inTag = true;
        if (inTag && c == u'"')
            inValue = !inValue;
        colors[i] = inValue || (inTag && c == u'"') ? 2 : inTag ? 1 : 0;
        if (c == u'>' && !inValue)
            inTag = false;
    }
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // --trace prints the caret, the bookmarks and the text after every change (for scripted runs).
    const bool trace = args.removeAll(QStringLiteral("--trace")) > 0;
    TMemoSource source;
    if (!args.isEmpty())
        source.loadFile(args.first());
    else
        source.setText(QStringLiteral("<html>\r\n<!-- a comment\r\n  over lines -->\r\n"
                                      "<body class=\"main\">Hello, world</body>\r\n</html>"));
    source.expandTabs(4);
    source.setOnParseSyntax(&colourTags);

    QWidget window;
    auto* memo = new TDCMemo(&window);
    memo->setTextStyles({ { QStringLiteral("Text"), 0xFFFFFF, { 0x000000 } },
                          { QStringLiteral("Tag"), 0xFFFFFF, { 0x800000 } },
                          { QStringLiteral("Value"), 0xFFFFFF, { 0x0000C0 } },
                          { QStringLiteral("Comment"), 0xE0FFE0, { 0x008000 } },
                          { QStringLiteral("Selected Text"), 0x800000, { 0xFFFFFF } },
                          { QStringLiteral("Search Match"), 0x00FFFF, { 0x000000 } } });
    memo->setSelectionStyle(4);
    memo->setSearchMatchStyle(5);
    memo->setMemoSource(&source);
    auto* status = new QLabel(&window);
    memo->OnStateChange = [&](TDCMemo*, int) {
        status->setText(QStringLiteral("%1: %2   %3%4")
                            .arg(source.CaretY() + 1)
                            .arg(source.CaretX() + 1)
                            .arg(TMemoSource::overwriteMode() ? QStringLiteral("Overwrite")
                                                              : QStringLiteral("Insert"))
                            .arg(source.Modified() ? QStringLiteral("   Modified") : QString()));
        if (!trace)
            return;
        QStringList marks;
        for (int n = 0; n < kBookmarkCount; ++n)
            if (memo->bookmarkLine(n) >= 0)
                marks << QStringLiteral("%1@%2").arg(n).arg(memo->bookmarkLine(n));
        const QString text = source.text().replace(QLatin1String("\r\n"), QLatin1String("|"));
        std::printf("caret %d:%d marks [%s] text %s\n", source.CaretY(), source.CaretX(),
                    qPrintable(marks.join(u' ')), qPrintable(text));
        std::fflush(stdout);
    };
    memo->OnStateChange(memo, 0x51);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(memo);
    layout->addWidget(status);
    auto* goTo = new QShortcut(QKeySequence(QStringLiteral("Ctrl+G")), &window);
    QObject::connect(goTo, &QShortcut::activated, &window,
                     [&] { TGoToLineDlg::execute(source, &window); });
    window.resize(800, 600);
    window.show();
    memo->setFocus();
    return app.exec();
}
