#include "clickat.h"
#include "recordingnotifier.h"
#include "art/faces.h"
#include "chat/chatcomposer.h"
#include "chat/chatcontrols.h"
#include "chat/chatview.h"
#include "chat/smileys.h"
#include "chat/tipstyle.h"
#include "tserver.h"
#include "window/tchat.h"
#include "windows/tphrases.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

using namespace velmora;

namespace {

// The board, in whose coordinates the controls are placed.
QWidget *board(Tchat &window) { return window.findChild<QWidget *>(QStringLiteral("panel_board")); }

// Types into the chat entry as the player does: into whatever lies at the
// entry's place, then Enter.
void say(Tchat &window, const QString &text)
{
    QWidget *entry = widgetAt(board(window), ChatControls::EntryPlace.center());
    QVERIFY(entry);
    QCOMPARE(entry->objectName(), QStringLiteral("mychat"));
    QTest::keyClicks(entry, text);
    QTest::keyClick(entry, Qt::Key_Return);
}

QPoint phraseButton(int n)
{
    return QRect(QPoint(ChatControls::PhraseLefts[n - 1], ChatControls::PhraseTop),
                 ChatControls::ButtonSize)
        .center();
}

// Clicks the item of an open menu at the item's place.
void choose(Tchat &window, const char *menuName, const QString &itemText)
{
    auto *menu = window.findChild<QMenu *>(QLatin1String(menuName));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QAction *item = nullptr;
    for (QAction *action : menu->actions())
        if (action->text() == itemText)
            item = action;
    QVERIFY(item);
    const QPoint centre = menu->actionGeometry(item).center();
    QTest::mouseClick(menu, Qt::LeftButton, {}, centre);
    QTRY_VERIFY(!menu->isVisible());
}

// The last line of the chat view that contains `text`.
QTextBlock lineWith(Tchat &window, const QString &text)
{
    for (QTextBlock b = window.mainchat()->document()->lastBlock(); b.isValid(); b = b.previous())
        if (b.text().contains(text))
            return b;
    return {};
}

bool shows(Tchat &window, const QString &text) { return lineWith(window, text).isValid(); }

QColor colourOf(Tchat &window, const QString &text)
{
    const QTextBlock line = lineWith(window, text);
    return line.isValid() ? line.begin().fragment().charFormat().foreground().color() : QColor();
}

const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

} // namespace

class TestChat : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twoPlayersTalk();

private:
    QTcpServer m_presence;
    QTemporaryDir m_home;
    int m_defaultTipPoints = 0;
};

void TestChat::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
    m_defaultTipPoints = QToolTip::font().pointSize();
}

void TestChat::twoPlayersTalk()
{
    RecordingNotifier notifier;
    qputenv("VELMORA_PORT", "0"); // the system chooses the host's port
    Tchat alice({QStringLiteral("Alice"), QStringLiteral("10.1.2.3"), QStringLiteral("true")},
                &notifier);
    alice.show();
    QTRY_VERIFY(alice.session().loggedIn());
    qputenv("VELMORA_PORT", QByteArray::number(alice.server().listeningPort()));
    Tchat bob({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")}, &notifier);
    bob.show();
    QTRY_COMPARE(bob.session().ownPlayer(), 2);
    QTRY_COMPARE(alice.table().seat(2).caption, QStringLiteral("Bob"));
    QTRY_COMPARE(bob.table().seat(1).caption, QStringLiteral("Alice"));
    // Both have read their settings (chatter sounds on by default).
    QVERIFY(bob.options().chatterSounds());
    bob.options().setChatterSounds(false);

    // The entry starts with its placeholder; the first key removes it.
    auto *bobEntry =
        qobject_cast<QLineEdit *>(widgetAt(board(bob), ChatControls::EntryPlace.center()));
    QVERIFY(bobEntry);
    QCOMPARE(bobEntry->text(), ChatComposer::placeholder());
    bob.options().setChatColour(0x0000FF);
    QCOMPARE(bobEntry->palette().color(QPalette::Text), Red);
    QTest::keyClicks(bobEntry, QStringLiteral("hello"));
    QCOMPARE(bobEntry->text(), QStringLiteral("hello"));
    QTest::keyClick(bobEntry, Qt::Key_Return);
    QCOMPARE(bobEntry->text(), QString());
    for (Tchat *window : {&alice, &bob}) {
        QTRY_VERIFY(shows(*window, QStringLiteral("Bob chats:  hello")));
        QCOMPARE(colourOf(*window, QStringLiteral("Bob chats:  hello")), Red);
    }

    say(alice, QStringLiteral("/me waves"));
    for (Tchat *window : {&alice, &bob}) {
        QTRY_VERIFY(shows(*window, QStringLiteral("Alice waves")));
        QCOMPARE(colourOf(*window, QStringLiteral("Alice waves")), Black);
    }

    // A phrase button, then a second one while the first rests: dropped.
    auto *phrase2 = qobject_cast<QToolButton *>(clickAt(board(alice), phraseButton(2)));
    QVERIFY(phrase2);
    QCOMPARE(phrase2->toolTip(), QStringLiteral("Good One!"));
    QCOMPARE(phrase2->toolTipDuration(), TipStyle::TipDuration);
    QCOMPARE(phrase2->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), TipStyle::WakeUpDelay);
    // The tips' own type survives the style that makes them quick.
    const QFont tipFont = QToolTip::font();
    QVERIFY(tipFont.bold());
    QCOMPARE(tipFont.pointSize(), m_defaultTipPoints + TipStyle::FontPointsAdded);
    QCOMPARE(tipFont.family(), faces::text());
    QCOMPARE(QToolTip::palette().color(QPalette::ToolTipText), QColor(Qt::black));
    // The menu bar's extension arrow, made when first drawn, is the base
    // style's own.
    const auto *style = qobject_cast<const QProxyStyle *>(phrase2->style());
    QVERIFY(style);
    for (const auto arrow :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
        QCOMPARE(style->standardIcon(arrow).pixmap(16).toImage(),
                 style->baseStyle()->standardIcon(arrow).pixmap(16).toImage());
    QCOMPARE(clickAt(board(alice), phraseButton(3))->objectName(), QStringLiteral("b_phrase3"));
    for (Tchat *window : {&alice, &bob})
        QTRY_VERIFY(shows(*window, QStringLiteral("Alice says:  Good One!")));

    // A smiley from the menu goes at the end of the entry.
    QTest::keyClicks(bobEntry, QStringLiteral("look"));
    QCOMPARE(clickAt(board(bob), ChatControls::SmileyButtonPlace.center())->objectName(),
             QStringLiteral("button_smilies"));
    // Open, the menu shows each item's picture: ":)#12" the third.
    auto *smileys = bob.findChild<QMenu *>(QStringLiteral("popup_smilies"));
    QTRY_VERIFY(smileys->isVisible());
    QAction *third = smileys->actions().at(2);
    QCOMPARE(third->text(), QStringLiteral(":)#12"));
    QCOMPARE(third->icon()
                 .pixmap(smileyPicture(2).size())
                 .toImage()
                 .convertToFormat(smileyPicture(2).format()),
             smileyPicture(2));
    choose(bob, "popup_smilies", QStringLiteral(":)#12"));
    QCOMPARE(bobEntry->text(), QStringLiteral("look:)#12"));
    QCOMPARE(bob.focusWidget(), bobEntry);
    QTest::keyClick(bobEntry, Qt::Key_Return);
    QTRY_VERIFY(shows(alice, QStringLiteral("Bob chats:  look ")));
    bool smiley = false;
    for (auto it = lineWith(alice, QStringLiteral("look ")).begin(); !it.atEnd(); ++it)
        smiley |= it.fragment().charFormat().toImageFormat().name() == QLatin1String("smiley:2");
    QVERIFY(smiley);

    // A chatter sound: Bob's table prints it, Alice's plays it instead.
    alice.options().setChatterSounds(true);
    QCOMPARE(clickAt(board(bob), ChatControls::SoundButtonPlace.center())->objectName(),
             QStringLiteral("b_phrase10"));
    choose(bob, "popup_sounds", QStringLiteral("Sneezing"));
    QTRY_VERIFY(shows(bob, QStringLiteral("Bob:  <Chatter Sound> Sneezing")));
    QCOMPARE(colourOf(bob, QStringLiteral("<Chatter Sound>")), Green);
    say(bob, QStringLiteral("after the sound"));
    QTRY_VERIFY(shows(alice, QStringLiteral("after the sound")));
    QVERIFY(!shows(alice, QStringLiteral("<Chatter Sound>")));

    // Clearing the chat puts the keyboard back into the entry.
    bob.mainchat()->setFocus();
    bob.findChild<QAction *>(QStringLiteral("ClearChat1"))->trigger();
    QCOMPARE(bob.focusWidget(), bobEntry);

    // Ctrl+V pastes at the end, wherever the caret stands.
    QApplication::clipboard()->setText(QStringLiteral(" and more"));
    QTest::keyClicks(bobEntry, QStringLiteral("text"));
    bobEntry->setCursorPosition(0);
    QTest::keyClick(bobEntry, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(bobEntry->text(), QStringLiteral("text and more"));
    QCOMPARE(bobEntry->cursorPosition(), bobEntry->text().size());
    // The untouched entry keeps its placeholder, as with the menu's Paste.
    bobEntry->setText(ChatComposer::placeholder());
    QTest::keyClick(bobEntry, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(bobEntry->text(), ChatComposer::placeholder() + QStringLiteral(" and more"));
    bobEntry->clear();

    // A new phrase from the editor, sent once the buttons have rested.
    alice.findChild<QAction *>(QStringLiteral("PhraseList1"))->trigger();
    Tphrases *editor = alice.phraseEditor();
    QVERIFY(editor->isVisible());
    auto *field = editor->findChild<QLineEdit *>(QStringLiteral("phrase1"));
    QCOMPARE(field->text(), QStringLiteral("Way To Go!"));
    QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("phrase10"))->text(),
             Options::defaultPhrase(10));
    field->clear();
    QTest::keyClicks(field, QStringLiteral("/me bows"));
    const QPoint done(272 + 31, 254 + 10);
    QVERIFY(clickAt(editor, done));
    QVERIFY(!editor->isVisible());
    QCOMPARE(alice.options().phrase(1), QStringLiteral("/me bows"));
    QCOMPARE(widgetAt(board(alice), phraseButton(1))->toolTip(), QStringLiteral("/me bows"));
    QTRY_VERIFY_WITH_TIMEOUT(alice.chatControls()->composer().phraseReady(), 3000);
    clickAt(board(alice), phraseButton(1));
    QTRY_VERIFY(shows(bob, QStringLiteral("Alice bows")));

    QVERIFY(!shows(alice, QStringLiteral("Nice Try!")) && !shows(bob, QStringLiteral("Nice Try!")));
    QVERIFY2(notifier.errors.isEmpty(), qPrintable(notifier.errors.join(u'\n')));
    bob.close();
    alice.close();
}

QTEST_MAIN(TestChat)
#include "tst_chat.moc"
