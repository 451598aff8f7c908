#include "clickat.h"
#include "recordingnotifier.h"
#include "chat/chatformatter.h"
#include "chat/chatview.h"
#include "chat/smileys.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using namespace velmora;

namespace {

// A line's items in a compact form: T[text] for text, S<n> for smiley n,
// L<slot>[text] for a link.
QString describe(const ChatLineLayout &line)
{
    QString out;
    for (const ChatItem &item : line.items) {
        switch (item.kind) {
        case ChatItem::Kind::Text: out += QStringLiteral("T[%1]").arg(item.text); break;
        case ChatItem::Kind::Smiley: out += QStringLiteral("S%1").arg(item.number); break;
        case ChatItem::Kind::Link:
            out += QStringLiteral("L%1[%2]").arg(item.number).arg(item.text);
            break;
        }
    }
    return out;
}

struct Fragment
{
    QString text;
    QTextCharFormat format;
};

QList<Fragment> fragments(const QTextDocument *doc, int blockNumber)
{
    QList<Fragment> out;
    const QTextBlock block = doc->findBlockByNumber(blockNumber);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        out.append({it.fragment().text(), it.fragment().charFormat()});
    return out;
}

QColor colourOf(const Fragment &f) { return f.format.foreground().color(); }

} // namespace

class TestChatView : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void linkAddress_data();
    void linkAddress();
    void linkTableWrapsToSlotOne();
    void clickOpensOnlyWebAddresses();
    void rendersStylesAndLinks();
    void senderColourRule();
    void networkTextIsNeverMarkup();
    void copyGivesPlainTextWithoutPictures();
    void scrollChatOff();
    void textSizes();
    void clearKeepsLinkTable();
    void keepsTheNewestParagraphs();
};

void TestChatView::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("items");
    QTest::newRow("chat line") << "Bob chats: hi there"
                               << "T[Bob chats: ]T[ ]T[hi ]T[there ]";
    QTest::newRow("no colon: single space first") << "You are Connected."
                                                  << "T[ ]T[You ]T[are ]T[Connected. ]";
    QTest::newRow("name part up to first colon") << "a:b:c"
                                                 << "T[a: ]T[b:c ]";
    QTest::newRow("run of spaces") << "a: x  y"
                                   << "T[a: ]T[ ]T[x ]T[ ]T[y ]";
    QTest::newRow("smiley inside a word") << "a: hi:)#12there"
                                          << "T[a: ]T[ ]T[hi ]S2T[there ]";
    QTest::newRow("first and last smiley") << "a::)#10:)#27"
                                           << "T[a: ]T[ ]S0T[ ]S17";
    QTest::newRow("code 99") << "a::)#99"
                             << "T[a: ]T[ ]S0";
    QTest::newRow("code 28, one past the last") << "a::)#28"
                                                << "T[a: ]T[ ]S0";
    QTest::newRow("letters") << "a::)#abc"
                             << "T[a: ]T[ ]S0T[c ]";
    QTest::newRow("non-ascii digits") << QString::fromUtf8("a::)#١٢") << "T[a: ]T[ ]S0";
    QTest::newRow("line breaks stay in the line") << "a: x\ny\r\nz"
                                                  << "T[a: ]T[ ]T[x ]T[y ]T[ ]T[z ]";
    // Any of these would let a player start a paragraph of his own that
    // looks like a system line.
    QTest::newRow("vertical tab") << "a: x\vy"
                                  << "T[a: ]T[ ]T[x ]T[y ]";
    QTest::newRow("form feed") << "a: x\fy"
                               << "T[a: ]T[ ]T[x ]T[y ]";
    QTest::newRow("line separator") << QStringLiteral("a: x\u2028y") << "T[a: ]T[ ]T[x ]T[y ]";
    QTest::newRow("paragraph separator") << QStringLiteral("a: x\u2029y") << "T[a: ]T[ ]T[x ]T[y ]";
    QTest::newRow("link between words") << "a: see www.x.com now"
                                        << "T[a: ]T[ ]T[see ]L0[www.x.com ]T[now ]";
    QTest::newRow("upper-case scheme") << "a: HTTP://X.COM"
                                       << "T[a: ]T[ ]L0[HTTP://X.COM ]";
    QTest::newRow("address inside a word stays text") << "a: file:///etc/x#http://y"
                                                      << "T[a: ]T[ ]T[file:///etc/x#http://y ]";
}

void TestChatView::layout()
{
    QFETCH(QString, text);
    ChatFormatter formatter;
    QTEST(describe(formatter.layout(3, text)), "items");
    QCOMPARE(formatter.layout(3, text).style, 8);
    QCOMPARE(formatter.layout(0, text).style, 0);
}

void TestChatView::linkAddress_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("url"); // empty: nothing is opened
    QTest::newRow("www gets http") << "www.x.com "
                                   << "http://www.x.com";
    QTest::newRow("trailing spaces") << "http://a.b/c   "
                                     << "http://a.b/c";
    QTest::newRow("https") << "https://a.b/"
                           << "https://a.b/";
    QTest::newRow("no host") << "http:// "
                             << "";
    QTest::newRow("not at start") << "file:///x#http://"
                                  << "";
    QTest::newRow("javascript") << "javascript:alert(1)//www."
                                << "";
}

void TestChatView::linkAddress()
{
    QFETCH(QString, link);
    QFETCH(QString, url);
    const auto result = ChatFormatter::urlFor(link);
    QCOMPARE(result.has_value(), !url.isEmpty());
    if (result)
        QCOMPARE(result->toString(), url);
}

void TestChatView::linkTableWrapsToSlotOne()
{
    ChatFormatter formatter;
    for (int i = 0; i < 101; ++i)
        formatter.layout(1, QStringLiteral("a: www.n%1.com").arg(i));
    QCOMPARE(formatter.linkCounter(), 100);
    QCOMPARE(formatter.linkText(0), QStringLiteral("www.n0.com "));
    const ChatLineLayout line = formatter.layout(1, QStringLiteral("a: www.new.com"));
    QCOMPARE(describe(line), QStringLiteral("T[a: ]T[ ]L1[www.new.com ]"));
    QCOMPARE(formatter.linkText(1), QStringLiteral("www.new.com "));
    QCOMPARE(formatter.linkText(0), QStringLiteral("www.n0.com ")); // slot 0 is never reused
    QCOMPARE(formatter.linkText(2), QStringLiteral("www.n2.com "));
    QCOMPARE(formatter.linkText(101), QString());
    QCOMPARE(formatter.linkText(-1), QString());
}

void TestChatView::clickOpensOnlyWebAddresses()
{
    RecordingNotifier notifier;
    ChatView view;
    view.setNotifier(&notifier);
    view.addLine(1, QStringLiteral("a: www.x.com http:// https://y.org/z"), 0);
    view.openLink(0);
    view.openLink(1);
    view.openLink(2);
    view.openLink(50); // never used: empty
    QCOMPARE(notifier.opened, (QList<QUrl>{QUrl(QStringLiteral("http://www.x.com")),
                                           QUrl(QStringLiteral("https://y.org/z"))}));
    QCOMPARE(notifier.notices, (QStringList{QStringLiteral("Cannot open Webpage"),
                                            QStringLiteral("Cannot open Webpage")}));

    notifier.openSucceeds = false;
    view.openLink(0);
    QCOMPARE(notifier.notices.size(), 3);

    // The click arrives as the anchor of the link's fragment.
    notifier.openSucceeds = true;
    notifier.opened.clear();
    emit view.anchorClicked(QUrl(QStringLiteral("link:2")));
    emit view.anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    QCOMPARE(notifier.opened, (QList<QUrl>{QUrl(QStringLiteral("https://y.org/z"))}));
}

void TestChatView::rendersStylesAndLinks()
{
    ChatView view;
    view.addLine(0, QStringLiteral("You are Connected."), 0x008000);
    view.addLine(2, QStringLiteral("Bob chats: see www.x.com :)#11"), 0x0000FF);
    const QTextDocument *doc = view.document();
    QCOMPARE(doc->blockCount(), 2);
    QCOMPARE(doc->findBlockByNumber(0).text(), QStringLiteral(" You are Connected. "));

    const auto system = fragments(doc, 0);
    QCOMPARE(system.size(), 1);
    QCOMPARE(colourOf(system[0]), QColor(0, 128, 0));
    QCOMPARE(system[0].format.fontWeight(), int(QFont::Bold));

    const auto chat = fragments(doc, 1);
    QCOMPARE(chat.size(), 4); // text, link, text, picture
    QCOMPARE(chat[0].text, QStringLiteral("Bob chats:  see "));
    QCOMPARE(colourOf(chat[0]), QColor(255, 0, 0));
    QCOMPARE(chat[0].format.fontWeight(), int(QFont::Bold));
    QVERIFY(!chat[0].format.isAnchor());
    QCOMPARE(chat[1].text, QStringLiteral("www.x.com "));
    QVERIFY(chat[1].format.isAnchor());
    QCOMPARE(chat[1].format.anchorHref(), QStringLiteral("link:0"));
    QVERIFY(chat[1].format.fontUnderline());
    QCOMPARE(colourOf(chat[1]), QColor(0, 128, 0));
    QCOMPARE(chat[2].text, QStringLiteral(" ")); // the text before the smiley, as a word
    QVERIFY(chat[3].format.isImageFormat());
    QCOMPARE(chat[3].format.toImageFormat().name(), QStringLiteral("smiley:1"));
    // 17 by 16 on the board, in as many pixels as the zoom gives them.
    for (const QImage &picture : smileyPictures()) {
        const QSizeF logical = picture.deviceIndependentSize();
        QCOMPARE(QSize(int(logical.width()), int(logical.height())), QSize(17, 16));
    }
}

void TestChatView::senderColourRule()
{
    ChatView view;
    view.addLine(2, QStringLiteral("Bob chats: red"), 0x0000FF);
    view.addLine(3, QStringLiteral("Cy chats: blue"), 0xFF0000);
    view.addLine(2, QStringLiteral("Bob www.x.com waves"), 0x000000); // actions travel in black
    const QTextDocument *doc = view.document();
    // Bob's earlier line turns black; Cy's stays blue; links keep their green.
    for (const Fragment &f : fragments(doc, 0))
        QCOMPARE(colourOf(f), QColor(0, 0, 0));
    for (const Fragment &f : fragments(doc, 1))
        QCOMPARE(colourOf(f), QColor(0, 0, 255));
    const auto action = fragments(doc, 2);
    QCOMPARE(colourOf(action[1]), QColor(0, 128, 0));
    QCOMPARE(view.styleColour(7), QColor(0, 0, 0));
    QCOMPARE(view.styleColour(8), QColor(0, 0, 255));
    QVERIFY(!view.styleColour(6).has_value());
}

void TestChatView::networkTextIsNeverMarkup()
{
    RecordingNotifier notifier;
    ChatView view;
    view.setNotifier(&notifier);
    const QString hostile = QStringLiteral(
        "<b>x</b> chats: <img src=\"file:///etc/passwd\"> <a href=\"file:///x\">y</a> &amp;");
    view.addLine(4, hostile, 0);
    const QString shown = view.document()->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("<b>x</b> chats:")), qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("<img src=\"file:///etc/passwd\">")));
    QVERIFY(shown.contains(QStringLiteral("&amp;")));
    for (const Fragment &f : fragments(view.document(), 0)) {
        QVERIFY(!f.format.isImageFormat());
        QVERIFY(!f.format.isAnchor());
    }
    QVERIFY(
        view.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("file:///etc/passwd")))
            .isNull());
}

void TestChatView::copyGivesPlainTextWithoutPictures()
{
    ChatView view;
    view.addLine(1, QStringLiteral("a: hi:)#12 you"), 0);
    view.addLine(0, QStringLiteral("b"), 0x008000);
    const auto actions = view.actions();
    const auto find = [&](const char *name) {
        for (QAction *a : actions)
            if (a->objectName() == QLatin1String(name))
                return a;
        return static_cast<QAction *>(nullptr);
    };
    QVERIFY(find("SelectAll1") && find("Copy1") && find("ClearChat1") && find("ScrollChatOff1"));
    QCOMPARE(actions.size(), 5); // with the separator
    find("SelectAll1")->trigger();
    find("Copy1")->trigger();
    const QString expected = QStringLiteral("a:  hi  you \n b ");
    QCOMPARE(view.selectedPlainText(), expected);
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QVERIFY(!QApplication::clipboard()->mimeData()->hasHtml());
}

void TestChatView::scrollChatOff()
{
    ChatView view;
    view.resize(234, 410);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.scrollOffAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    for (int i = 0; i < 60; ++i)
        view.addLine(1, QStringLiteral("a: line %1").arg(i), 0);
    QScrollBar *bar = view.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    view.scrollOffAction()->trigger();
    QVERIFY(view.scrollOff());
    bar->setValue(10);
    for (int i = 0; i < 20; ++i)
        view.addLine(1, QStringLiteral("a: more %1").arg(i), 0);
    QCOMPARE(bar->value(), 10);

    view.scrollOffAction()->trigger();
    view.addLine(1, QStringLiteral("a: last"), 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestChatView::textSizes()
{
    ChatView view;
    QSignalSpy chosen(&view, &ChatView::textSizeChosen);
    const auto sizes = view.textSizeActions();
    QCOMPARE(sizes.size(), 4);
    QCOMPARE(view.textSize(), 10);
    QVERIFY(sizes[1]->isChecked());
    sizes[3]->trigger();
    QCOMPARE(view.textSize(), 14);
    QCOMPARE(view.document()->defaultFont().pointSize(), 14);
    QVERIFY(sizes[3]->isChecked() && !sizes[1]->isChecked());
    QCOMPARE(chosen.size(), 1);
}

void TestChatView::clearKeepsLinkTable()
{
    ChatView view;
    QSignalSpy cleared(&view, &ChatView::chatCleared);
    view.addLine(1, QStringLiteral("a: www.one.com"), 0);
    view.clearChat();
    QVERIFY(view.document()->isEmpty());
    QCOMPARE(cleared.size(), 1);
    view.addLine(1, QStringLiteral("a: www.two.com"), 0);
    QCOMPARE(view.formatter().linkText(1), QStringLiteral("www.two.com "));
    QCOMPARE(view.document()->blockCount(), 1); // a fresh first paragraph
}

// The oldest paragraphs go; links in the ones that stay still open their
// own address, by a click where the player sees them.
void TestChatView::keepsTheNewestParagraphs()
{
    RecordingNotifier notifier;
    ChatView view;
    view.setNotifier(&notifier);
    view.resize(234, 410);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.addLine(1, QStringLiteral("a: www.gone.com"), 0);
    for (int i = 0; i < 1000; ++i)
        view.addLine(0, QStringLiteral("line %1").arg(i), 0x008000);
    view.addLine(2, QStringLiteral("b: see www.kept.com please"), 0xFF);
    for (int i = 1000; i < ChatView::MaxParagraphs + 100; ++i)
        view.addLine(0, QStringLiteral("line %1").arg(i), 0x008000);
    QTextDocument *doc = view.document();
    QCOMPARE(doc->blockCount(), ChatView::MaxParagraphs);
    QCOMPARE(doc->lastBlock().text(),
             QStringLiteral(" line %1 ").arg(ChatView::MaxParagraphs + 99));
    QVERIFY(doc->find(QStringLiteral("www.gone.com")).isNull());

    const QTextCursor found = doc->find(QStringLiteral("www.kept.com"));
    QVERIFY(!found.isNull());
    QTextCursor at(doc);
    at.setPosition(found.selectionStart() + 2);
    view.setTextCursor(at);
    view.ensureCursorVisible();
    QVERIFY(clickAt(view.viewport(), view.cursorRect(at).center()));
    QCOMPARE(notifier.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.kept.com"))});

    // The limit outlives "Clear Chat".
    view.clearChat();
    QCOMPARE(doc->maximumBlockCount(), ChatView::MaxParagraphs);
}

QTEST_MAIN(TestChatView)
#include "tst_chatview.moc"
