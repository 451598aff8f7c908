#include "art/faces.h"
#include "art/pattern.h"
#include "art/tableart.h"
#include "cards/card.h"
#include "chat/smileys.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <QtMath>
#include <set>

using namespace velmora;

namespace {

using Size = TableArt::CardSize;

QByteArray bytesOf(const QPixmap &pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes());
}

struct Ink
{
    int red = 0;
    int black = 0;
};

// Counts clearly red and clearly black pixels in a logical rectangle.
Ink inkIn(const QPixmap &pm, const QRect &logical)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    const qreal r = pm.devicePixelRatio();
    const QRect area(qRound(logical.x() * r), qRound(logical.y() * r), qRound(logical.width() * r),
                     qRound(logical.height() * r));
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() < 200)
                continue;
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                ++ink.red;
            else if (c.red() < 60 && c.green() < 60 && c.blue() < 60)
                ++ink.black;
        }
    return ink;
}

} // namespace

class TestArt : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { TableArt::setDevicePixelRatio(0); }

    // Every face the art names is installed and is the face itself, not a
    // look-alike that fontconfig picked.
    void facesInstalled() { QVERIFY2(faces::missing().isEmpty(), qPrintable(faces::missing())); }

    void sizes_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 1.25") << 1.25;
        QTest::newRow("ratio 1.5") << 1.5;
        QTest::newRow("ratio 2") << 2.0;
    }
    void sizes()
    {
        QFETCH(qreal, ratio);
        TableArt::setDevicePixelRatio(ratio);
        std::vector<std::pair<const QPixmap *, QSize>> all;
        for (int code = 0; code <= DeckSize; ++code) {
            all.push_back({&TableArt::card(code, Size::Large), TableArt::LargeCardSize});
            all.push_back({&TableArt::card(code, Size::Small), TableArt::SmallCardSize});
        }
        for (const auto kind : {TableArt::Chip::One, TableArt::Chip::Five, TableArt::Chip::Ten})
            all.push_back({&TableArt::chip(kind), TableArt::ChipSize});
        for (int i = 0; i < 9; ++i) {
            all.push_back({&TableArt::potFace(i + 1), TableArt::PotSize});
            all.push_back({&TableArt::chipPile(i), TableArt::PotSize});
        }
        all.push_back({&TableArt::eyes(), TableArt::EyesSize});
        all.push_back({&TableArt::turnMark(), TableArt::TurnMarkSize});
        all.push_back({&TableArt::dealerMark(), TableArt::DealerMarkSize});
        all.push_back({&TableArt::startButton(), TableArt::StartButtonSize});
        all.push_back({&TableArt::handStrip(), TableArt::HandStripSize});
        all.push_back({&TableArt::tableBackground(), TableArt::TableSize});
        all.push_back({&TableArt::panelBackground({266, 142}), QSize(266, 142)});
        all.push_back({&TableArt::onOffBox(true), TableArt::OnOffBoxSize});
        // Rendered at the ratio itself, so that drawing copies it pixel for
        // pixel: a part pixel is rounded up, never cut off.
        for (const auto &[pm, logical] : all) {
            QCOMPARE(pm->devicePixelRatio(), ratio);
            const QSizeF exact = QSizeF(logical) * ratio;
            QVERIFY(pm->width() >= exact.width() && pm->width() < exact.width() + 1);
            QVERIFY(pm->height() >= exact.height() && pm->height() < exact.height() + 1);
        }
        for (const QImage &smiley : smileyPictures()) {
            QCOMPARE(smiley.devicePixelRatio(), ratio);
            QCOMPARE(smiley.width(), qCeil(17 * ratio - 0.01));
        }
    }

    // The corner index carries the suit's colour and nothing else; aces have
    // their colour in the middle; the rounded corner stays transparent.
    void cardColours_data() { sizes_data(); }
    void cardColours()
    {
        QFETCH(qreal, ratio);
        TableArt::setDevicePixelRatio(ratio);
        for (int code = 1; code <= DeckSize; ++code) {
            const bool red = suitOf(code) == Suit::Diamonds || suitOf(code) == Suit::Hearts;
            for (const Size size : {Size::Large, Size::Small}) {
                const QPixmap &pm = TableArt::card(code, size);
                const Ink ink = inkIn(pm, QRect(3, 3, 9, 21));
                QVERIFY2((red ? ink.red : ink.black) > 20, cardName(code));
                QVERIFY2((red ? ink.black : ink.red) == 0, cardName(code));
                QCOMPARE(pm.toImage().pixelColor(0, 0).alpha(), 0);
            }
            if (isAce(code)) {
                const Ink middle = inkIn(TableArt::card(code), QRect(25, 35, 2, 2));
                QVERIFY2(red ? middle.red > 0 : middle.black > 0, cardName(code));
            }
        }
    }

    void picturesDistinct()
    {
        for (const Size size : {Size::Large, Size::Small}) {
            std::set<QByteArray> seen;
            for (int code = 0; code <= DeckSize; ++code)
                QVERIFY2(seen.insert(bytesOf(TableArt::card(code, size))).second, cardName(code));
        }
        std::set<QByteArray> pots, piles;
        for (int i = 0; i < 9; ++i) {
            QVERIFY(pots.insert(bytesOf(TableArt::potFace(i + 1))).second);
            QVERIFY(piles.insert(bytesOf(TableArt::chipPile(i))).second);
        }
        QVERIFY(bytesOf(TableArt::onOffBox(true)) != bytesOf(TableArt::onOffBox(false)));
    }

    void cachedPerRatio()
    {
        TableArt::setDevicePixelRatio(1);
        const QPixmap &one = TableArt::card(7);
        QCOMPARE(&TableArt::card(7), &one);
        const qint64 key = one.cacheKey();

        TableArt::setDevicePixelRatio(2);
        const QPixmap &two = TableArt::card(7);
        QVERIFY(&two != &one);
        QCOMPARE(two.devicePixelRatio(), 2.0);

        // Zooms of 125% and 150% have sheets of their own, not the nearest
        // whole ratio's.
        TableArt::setDevicePixelRatio(1.25);
        const QPixmap &quarter = TableArt::card(7);
        TableArt::setDevicePixelRatio(1.5);
        const QPixmap &half = TableArt::card(7);
        QVERIFY(&quarter != &one && &half != &two && &quarter != &half);
        QCOMPARE(half.size(), QSize(78, 108));

        TableArt::setDevicePixelRatio(1);
        QCOMPARE(TableArt::card(7).cacheKey(), key);
        QCOMPARE(two.size(), QSize(104, 144)); // still valid after switching back
        QCOMPARE(&TableArt::tableBackground({100, 80}), &TableArt::tableBackground({100, 80}));
    }

    // The first frame's pictures drawn ahead on another thread are the ones
    // the accessors would draw, at the ratio of the moment they were started.
    void drawnAhead()
    {
        TableArt::setDevicePixelRatio(1.75); // a sheet no other case uses
        TableArt::drawAhead();
        TableArt::setDevicePixelRatio(1);
        TableArt::tableBackground(); // taken in at its own ratio meanwhile
        TableArt::setDevicePixelRatio(1.75);
        QList<QByteArray> ahead;
        for (int pot = 1; pot <= 9; ++pot)
            ahead << bytesOf(TableArt::potFace(pot));
        for (const QPixmap *pm : {&TableArt::tableBackground(), &TableArt::handStrip(),
                                  &TableArt::logo(), &TableArt::phraseBubble(9)}) {
            QCOMPARE(pm->devicePixelRatio(), 1.75);
            QVERIFY(pm->toImage().pixelColor(pm->width() / 2, pm->height() / 2).alpha() > 0);
        }
        // A change of deck drops the pot faces; drawn again here, they match.
        TableArt::setFourColourDeck(true);
        TableArt::setFourColourDeck(false);
        for (int pot = 1; pot <= 9; ++pot)
            QCOMPARE(bytesOf(TableArt::potFace(pot)), ahead[pot - 1]);
    }

    // Side windows get their pattern when they first show, at the size they
    // had when they asked for it; one already showing gets it at once.
    void panelBackgroundWhenShown()
    {
        const auto ground = [](const QWidget &w) {
            return w.palette().brush(QPalette::Window).texture().cacheKey();
        };
        const qint64 pattern = TableArt::panelBackground({120, 90}).cacheKey();
        QWidget later;
        later.resize(120, 90);
        TableArt::setPanelBackground(&later);
        later.resize(200, 100);
        later.ensurePolished();
        QVERIFY(ground(later) != pattern);
        later.show();
        QCOMPARE(ground(later), pattern);

        QWidget shown;
        shown.resize(120, 90);
        shown.show();
        TableArt::setPanelBackground(&shown);
        QCOMPARE(ground(shown), pattern);
    }

    // The lattice laid as tiles is the lattice drawn line by line, to the
    // last bit: on the table's and the strip's sizes, an odd width, and
    // heights where the short cut does not apply.
    void patternMatchesLines_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("table") << QSize(548, 392);
        QTest::newRow("hand strip") << QSize(548, 100);
        QTest::newRow("odd width") << QSize(301, 200);
        QTest::newRow("odd height") << QSize(300, 201);
        QTest::newRow("thin") << QSize(30, 2);
    }
    void patternMatchesLines()
    {
        QFETCH(QSize, size);
        const auto draw = [&](auto paint) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
            paint(p, QRectF(QPointF(0, 0), size));
            return image;
        };
        QCOMPARE(draw(pattern::paint), draw(pattern::paintLines));
    }

    void outOfRangeDrawsNothing()
    {
        QVERIFY(TableArt::card(-1).isNull());
        QVERIFY(TableArt::card(DeckSize + 1, Size::Small).isNull());
        QVERIFY(TableArt::potFace(0).isNull());
        QVERIFY(TableArt::potFace(10).isNull());
        QVERIFY(TableArt::chipPile(-1).isNull());
        QVERIFY(TableArt::chipPile(TableArt::ChipPileCount).isNull());
        QVERIFY(TableArt::tableBackground(QSize()).isNull());
    }
};

QTEST_MAIN(TestArt)
#include "tst_art.moc"
